// TFormTemplate in its open and edit modes: the grid and the spectral lists
// following the editor, the buttons, the window's size and closing.
#include "main/K730Fun.h"
#include "main/K730Settings.h"
#include "service/K730Template.h"
#include "service/ServiceQt.h"
#include "service/TemplateModel.h"
#include "service/ZAKTabSet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>

namespace k730 {

using svcqt::Q;
using svcqt::S;

namespace {

constexpr int GRID_LINES = 18; // text lines the grid shows at first

} // namespace

// --- grid and lists ------------------------------------------------------------------

void TFormTemplate::RebuildGrid() {
    if (!model_) return;
    model_->Reload();
    const int line = sgTemplate_->fontMetrics().height();
    for (int row = 0; row < model_->rowCount(); ++row)
        sgTemplate_->setRowHeight(row,
                                  line * model_->index(row, 0).data(TTemplateModel::LinesRole).toInt() + 4);
    const QFontMetrics header(sgTemplate_->horizontalHeader()->font());
    sgTemplate_->horizontalHeader()->setFixedHeight(2 * header.height() - header.leading() + 5 + 4);
    SelectGridRow(editor_.SelectedRow());
}

void TFormTemplate::SelectGridRow(int row) {
    if (!sgTemplate_) return;
    const QSignalBlocker block(sgTemplate_->selectionModel());
    if (row < 0) {
        sgTemplate_->clearSelection();
        editor_.SelectRow(-1);
        return;
    }
    sgTemplate_->selectRow(row);
    sgTemplate_->setCurrentIndex(model_->index(row, 0));
    sgTemplate_->scrollTo(model_->index(row, 0));
    editor_.SelectRow(row);
}

void TFormTemplate::RebuildLists() {
    for (size_t i = 0; i < 4; ++i) {
        QListWidget* list = lists_[i];
        if (!list) continue;
        const QSignalBlocker block(list);
        list->clear();
        for (const auto& name : editor_.Lists()[i]) {
            auto* item = new QListWidgetItem(Q(name), list);
            item->setSizeHint(QSize(0, list->fontMetrics().height() + 2));
        }
        list->setCurrentRow(editor_.SelectedItem(static_cast<int>(i)));
    }
}

void TFormTemplate::Render() {
    const TEditorButtons b = editor_.Buttons();
    const bool spectral = editor_.Page() == tpSpectral;
    btnUp_->setVisible(spectral);
    btnDown_->setVisible(spectral);
    btnUp_->setEnabled(b.up);
    btnDown_->setEnabled(b.down);
    btnAdd_->setEnabled(b.add);
    btnDel_->setEnabled(b.del);
    editNewName_->setEnabled(b.newName);
    editNewName_->setMaxLength(spectral ? 32767 : static_cast<int>(USER_NAME_LENGTH));
    btnApply_->setEnabled(b.apply);
    btnSave_->setEnabled(b.save);
    btnOpen_->setEnabled(b.open);
    labelChangeName_->setText(spectral ? "Zmień nazwę:" : "Zmień nazwę użytkownika:");
    editNewName_->setAccessibleName(labelChangeName_->text());
    if (editNewName_->text() != Q(editor_.NewName())) {
        const QSignalBlocker block(editNewName_);
        editNewName_->setText(Q(editor_.NewName()));
    }
    // The current list in the window colour, the others a little lighter than the form.
    const QColor form = palette().color(QPalette::Window);
    const QColor other(std::min(255, form.red() + 8), std::min(255, form.green() + 8),
                       std::min(255, form.blue() + 8));
    for (size_t i = 0; i < 4; ++i) {
        if (!lists_[i]) continue;
        // Only the current list shows its selected item in the highlight colours.
        const bool current = static_cast<int>(i) == editor_.CurrentList();
        QPalette pal = palette();
        pal.setColor(QPalette::Base, current ? palette().color(QPalette::Base) : other);
        if (!current) {
            pal.setColor(QPalette::Highlight, other);
            pal.setColor(QPalette::HighlightedText, palette().color(QPalette::Text));
        }
        lists_[i]->setPalette(pal);
        if (lists_[i]->currentRow() != editor_.SelectedItem(static_cast<int>(i))) {
            const QSignalBlocker block(lists_[i]);
            lists_[i]->setCurrentRow(editor_.SelectedItem(static_cast<int>(i)));
        }
    }
}

bool TFormTemplate::TabChanging(int index) {
    // The spectral page exists in the editing mode only.
    return index == tpTemplates || (tabSet_->isVisible() && editor_.Mode() == tmEdit);
}

void TFormTemplate::TabChanged(int index) {
    if (!editor_.ChangePage(static_cast<TTemplatePage>(index))) return;
    pageControl_->setCurrentIndex(index);
    if (index == tpSpectral && editor_.CurrentList() >= 0)
        lists_[static_cast<size_t>(editor_.CurrentList())]->setFocus();
    Render();
}

bool TFormTemplate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        for (size_t i = 0; i < 4; ++i)
            if (watched == lists_[i]) {
                editor_.EnterList(static_cast<int>(i));
                Render();
            }
    return QDialog::eventFilter(watched, event);
}

// --- buttons --------------------------------------------------------------------------

void TFormTemplate::BtnOpenClick() {
    if (editor_.Choose()) accept();
}

void TFormTemplate::BtnApplyClick() {
    const bool templates = editor_.Page() == tpTemplates;
    const int row = editor_.SelectedRow();
    editor_.Apply();
    if (templates) {
        RebuildGrid();
        SelectGridRow(row);
    } else {
        RebuildLists();
    }
    Render();
}

void TFormTemplate::BtnDelClick() {
    editor_.Delete();
    if (editor_.Page() == tpTemplates)
        RebuildGrid();
    else
        RebuildLists();
    Render();
}

void TFormTemplate::BtnAddClick() {
    editor_.AddNewName();
    RebuildLists();
    Render();
    editNewName_->setFocus();
    editNewName_->selectAll();
}

void TFormTemplate::BtnRefreshClick() {
    editor_.Refresh();
    RebuildGrid();
    RebuildLists();
    Render();
}

// --- size and closing -----------------------------------------------------------------

void TFormTemplate::SizeColumns() {
    const QFontMetrics metrics(sgTemplate_->font());
    const QFontMetrics header(sgTemplate_->horizontalHeader()->font());
    QFont bold = sgTemplate_->font();
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);
    for (int c = 0; c < static_cast<int>(TEMPLATE_GRID_COLUMNS); ++c) {
        int width = 0;
        for (const QString& line : Q(TemplateHeader(static_cast<size_t>(c))).split("\r\n"))
            width = std::max(width, header.horizontalAdvance(line));
        if (c == 0)
            width =
                std::max(width, metrics.horizontalAdvance(QString("%1.").arg(editor_.Templates().size())));
        if (c == 2) width = std::max(width, metrics.horizontalAdvance(Q(MeterKindText(1, lang_))));
        for (int row = 0; row < model_->rowCount(); ++row)
            for (const QString& line : model_->index(row, c).data().toString().split("\r\n"))
                width = std::max(width, (c == 1 ? boldMetrics : metrics).horizontalAdvance(line));
        width += 5 + 8;
        if (settings_ && settings_->TmplWinCols[static_cast<size_t>(c)] > 0)
            width = settings_->TmplWinCols[static_cast<size_t>(c)];
        sgTemplate_->setColumnWidth(c, width);
    }
}

void TFormTemplate::SizeEditWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    int columns = 0;
    for (int c = 0; c < static_cast<int>(TEMPLATE_GRID_COLUMNS); ++c)
        columns += sgTemplate_->columnWidth(c);
    const int frame =
        2 * sgTemplate_->frameWidth() + 8 + sgTemplate_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int least =
        std::max(panelBtn_->sizeHint().width(), tabSet_->isVisible() ? tabSet_->MinimumWidth() : 0);
    setMinimumWidth(least);
    int width = std::max(least, std::min(work.width() / 2, columns + 1 + frame));
    const int buttons = panelBtn_->sizeHint().height();
    const int tabs = tabSet_->isVisible() ? tabSet_->sizeHint().height() : 0;
    int height = sgTemplate_->horizontalHeader()->height() + GRID_LINES * (fontMetrics().height() + 4) +
                 buttons + tabs + 16;
    if (settings_ && settings_->TmplWinWidth > 0) width = settings_->TmplWinWidth;
    if (settings_ && settings_->TmplWinHeight > 0) height = settings_->TmplWinHeight + buttons + tabs;
    resize(width, std::min(height, work.height()));
}

void TFormTemplate::StoreGeometry() {
    if (!settings_ || !sgTemplate_) return;
    settings_->TmplWinWidth = width();
    settings_->TmplWinHeight =
        height() - panelBtn_->height() - (tabSet_ && tabSet_->isVisible() ? tabSet_->height() : 0);
    for (size_t c = 0; c < TEMPLATE_GRID_COLUMNS; ++c)
        settings_->TmplWinCols[c] = sgTemplate_->columnWidth(static_cast<int>(c));
}

bool TFormTemplate::CloseAllowed() {
    if (editor_.Mode() != tmEdit || !editor_.Modified()) return true;
    if (!AskSave(windowTitle())) return true;
    if (editor_.Save()) return true;
    Render();
    return false; // a failed save keeps the window open
}

void TFormTemplate::done(int result) {
    if (closing_) return;
    if (editor_.Mode() == tmEdit) {
        if (!CloseAllowed()) return;
        result = QDialog::Accepted; // the service window looks at the saved flag
    }
    closing_ = true;
    QDialog::done(result);
    closing_ = false;
}

void TFormTemplate::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
}

} // namespace k730
