// TZAKTabSet: the tab bar under the service window's and the template
// editor's pages. Tabs hang down from the page they select and are drawn by
// the control itself; with automatic tab widths each tab is as wide as its
// text, otherwise all are as wide as the widest. A change of tab can be
// refused by the owner, and the keyboard walks the tabs.
#pragma once

#include <QImage>
#include <QTabBar>

#include <functional>
#include <vector>

namespace k730 {

class TZAKTabSet : public QTabBar {
    Q_OBJECT
public:
    explicit TZAKTabSet(QWidget* parent = nullptr);

    bool AutoTabWidth() const { return autoTabWidth_; }
    void SetAutoTabWidth(bool on);
    // Free room before the first and after the last tab (2 and 2 by default).
    void SetMargins(int start, int end);
    // Clicking a tab also gives the bar the keyboard focus.
    void SetFocusOnNewTab(bool on) { focusOnNewTab_ = on; }

    // Asked before the selected tab changes; false keeps the present tab.
    std::function<bool(int newIndex)> OnChanging;
    // Selects a tab as a user would (the owner may refuse); false when refused.
    bool ChooseTab(int index);

    // The narrowest the bar may be and still show every tab.
    int MinimumWidth() const;
    // Layout arithmetic, without a font: the width of each tab's label area
    // from the widths of its text, and the width that shows them all.
    static std::vector<int> TabWidths(const std::vector<int>& textWidths, bool autoWidth);
    static int MinimumWidthFor(const std::vector<int>& tabWidths, int startMargin, int endMargin);
    // The room a tab takes on the bar beyond its label area.
    static constexpr int TAB_EDGES = 9;

    int TabHeight() const;
    const QImage& FocusPattern() const { return pattern_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::vector<int> LabelWidths() const;
    QRect TabArea(int index) const;
    void RebuildPattern();

    bool autoTabWidth_ = true;
    bool focusOnNewTab_ = false;
    int startMargin_ = 2;
    int endMargin_ = 2;
    QImage pattern_;
};

} // namespace k730
