#include "calibration/K730SaveCAL.h"

#include "calibration/CalTexts.h"

#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPointer>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TConfMode YesNo() {
    TConfMode mode;
    mode.yesNo = true;
    return mode;
}

} // namespace

TFormSaveCAL::TFormSaveCAL(QWidget* owner, const QString& text, unsigned style, bool addToHistory,
                           const QString& comment, int lang)
    : TConfirmForm(owner, text, "K730", style, YesNo(), lang) {
    setObjectName("FormSaveCAL");
    BevelSave = new QFrame(this);
    BevelSave->setObjectName("BevelSave");
    BevelSave->setFrameShape(QFrame::HLine);
    BevelSave->setFrameShadow(QFrame::Sunken);
    ChBAddToHistory = new QCheckBox(Q(calAddToHistory(lang)), this);
    ChBAddToHistory->setObjectName("ChBAddToHistory");
    ChBAddToHistory->setAccessibleName(ChBAddToHistory->text());
    ChBAddToHistory->setChecked(addToHistory);
    ChBAddComment = new QCheckBox(Q(calAddComment(lang)), this);
    ChBAddComment->setObjectName("ChBAddComment");
    ChBAddComment->setAccessibleName(ChBAddComment->text());
    MemoComment = new QPlainTextEdit(this);
    MemoComment->setObjectName("MemoComment");
    MemoComment->setAccessibleName(ChBAddComment->text());
    MemoComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoComment->setTabChangesFocus(true);
    MemoComment->setPlainText(QString(comment).replace("\r\n", "\n"));
    connect(ChBAddToHistory, &QCheckBox::toggled, this, [this] { FollowBoxes(); });
    connect(ChBAddComment, &QCheckBox::toggled, this, [this](bool on) {
        FollowBoxes();
        if (on) MemoComment->setFocus();
    });
    SetDefaultButton(ConfIconForStyle(style) == ciQuestion ? 0 : 1);
    FollowBoxes();
}

// The comment belongs to a history record: without one there is nothing to comment.
void TFormSaveCAL::FollowBoxes() {
    const bool history = ChBAddToHistory->isChecked();
    ChBAddComment->setEnabled(history);
    const bool memo = history && ChBAddComment->isChecked();
    MemoComment->setEnabled(memo);
    QPalette palette = MemoComment->palette();
    palette.setColor(QPalette::Base, this->palette().color(memo ? QPalette::Base : QPalette::Button));
    MemoComment->setPalette(palette);
}

void TFormSaveCAL::ArrangeSaveCAL() {
    Arrange();
    const int m = CONF_MARGIN;
    const TConfLayout& l = Layout();
    const QFontMetrics fm = MemoComment->fontMetrics();
    const int memoHeight = fm.lineSpacing() * 4 + 2 * MemoComment->frameWidth() + 8;
    const int width = std::max({l.clientWidth, ChBAddToHistory->sizeHint().width() + 2 * m,
                                ChBAddComment->sizeHint().width() + 2 * m, 320});
    int y = l.clientHeight;
    BevelSave->setGeometry(m, y, width - 2 * m, 2);
    y += 8;
    ChBAddToHistory->setGeometry(m, y, width - 2 * m, ChBAddToHistory->sizeHint().height());
    y += ChBAddToHistory->height() + 2;
    ChBAddComment->setGeometry(m, y, width - 2 * m, ChBAddComment->sizeHint().height());
    y += ChBAddComment->height() + 4;
    MemoComment->setGeometry(m, y, width - 2 * m, memoHeight);
    y += memoHeight + m;
    setFixedSize(width, y);
    // Centred on the owner and inside the work area, with its new size.
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect work = screen->availableGeometry();
    std::optional<TConfRect> ownerRect;
    if (owner) {
        const QRect r = owner->window()->frameGeometry();
        ownerRect = TConfRect{r.x(), r.y(), r.width(), r.height()};
    }
    const TConfRect placed =
        PlaceDialog({work.x(), work.y(), work.width(), work.height()}, ownerRect, {width, y});
    move(placed.x, placed.y);
}

TCalSaveChoice TFormSaveCAL::Choice() const {
    return TCalSaveChoice{ChBAddToHistory->isChecked(), ChBAddComment->isChecked(),
                          MemoComment->toPlainText().replace('\n', "\r\n").toStdString()};
}

std::optional<TCalSaveChoice> TFormSaveCAL::Execute(QWidget* owner, const QString& text, unsigned style,
                                                    bool addToHistory, const QString& comment, int lang) {
    // On the heap: when the owner goes while the dialog is open, it takes the dialog along.
    const QPointer<TFormSaveCAL> dialog = new TFormSaveCAL(owner, text, style, addToHistory, comment, lang);
    dialog->ArrangeSaveCAL();
    dialog->exec();
    if (!dialog) return std::nullopt;
    std::optional<TCalSaveChoice> choice;
    if (dialog->Result() == crYes) choice = dialog->Choice();
    delete dialog;
    return choice;
}

} // namespace k730
