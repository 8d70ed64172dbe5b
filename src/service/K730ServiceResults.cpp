// TFormService: result lines — the "save as" and "append" buttons of the DAC
// and results pages, shown while Shift or Ctrl is held, the results file,
// the splash after a line was written and the announcement to the
// cooperating program.
#include "service/K730Service.h"
#include "service/ServiceQt.h"

#include "files/K730Disk.h"
#include "files/ResultFile.h"
#include "main/K730Lang.h"
#include "service/ResultAnnouncement.h"
#include "service/ResultsBlock.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace k730 {

using svcqt::Q;
using svcqt::S;

namespace {

constexpr const char* RESULT_FILTER = "Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*";
constexpr const char* RESULT_DIALOG_FILTER = "Pliki tekstowe (*.txt);;Wszystkie pliki (*.*)";
constexpr int SPLASH_MS = 333;

// The folder "save as" starts in, for the life of the program.
QString& LastResultsFolder() {
    static QString folder = QCoreApplication::applicationDirPath();
    return folder;
}

QPixmap SplashPicture(const QFont& font) {
    QPixmap picture(150, 56);
    picture.fill(QColor(255, 255, 225));
    QPainter p(&picture);
    p.setPen(QPen(QColor(0, 110, 0), 2));
    p.drawRect(1, 1, picture.width() - 2, picture.height() - 2);
    QFont bold = font;
    bold.setBold(true);
    bold.setPointSizeF(font.pointSizeF() * 1.4);
    p.setFont(bold);
    p.drawText(picture.rect(), Qt::AlignCenter, "Zapisano");
    return picture;
}

} // namespace

void TFormService::BuildSaveButtons(QHBoxLayout* row) {
    btnBinSaveAs_ = new QToolButton(this);
    btnBinSaveAs_->setObjectName("BtnBinSaveAs");
    btnBinSaveAs_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    btnBinSaveAs_->setToolTip("Zapisz wyniki jako...");
    btnBinSaveAdd_ = new QToolButton(this);
    btnBinSaveAdd_->setObjectName("BtnBinSaveAdd");
    btnBinSaveAdd_->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    btnBinSaveAdd_->setToolTip("Dopisz wyniki do pliku");
    for (QToolButton* b : {btnBinSaveAs_, btnBinSaveAdd_}) {
        b->setAccessibleName(b->toolTip());
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        b->setEnabled(false);
        b->hide();
        row->addWidget(b);
    }
    connect(btnBinSaveAs_, &QToolButton::clicked, this, &TFormService::SaveAsClicked);
    connect(btnBinSaveAdd_, &QToolButton::clicked, this, &TFormService::SaveAddClicked);

    imageSplash_ = new QLabel(this);
    imageSplash_->setObjectName("ImageSplash");
    imageSplash_->setAccessibleName("Zapisano");
    imageSplash_->setPixmap(SplashPicture(font()));
    imageSplash_->adjustSize();
    imageSplash_->hide();
    // Key preview: the modifier keys are seen whichever control has the focus.
    qApp->installEventFilter(this);
}

QWidget* TFormService::Splash() const {
    return imageSplash_;
}

void TFormService::UpdateSaveButtons(Qt::KeyboardModifiers modifiers) {
    const bool page = Page() == spDac || Page() == spBin;
    btnBinSaveAs_->setVisible(page && (modifiers & Qt::ShiftModifier));
    btnBinSaveAdd_->setVisible(page && (modifiers & Qt::ControlModifier));
}

bool TFormService::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // A modifier key's own event may report the state from before it.
        const auto* key = static_cast<QKeyEvent*>(event);
        Qt::KeyboardModifiers modifiers = key->modifiers();
        const Qt::KeyboardModifier own = key->key() == Qt::Key_Shift     ? Qt::ShiftModifier
                                         : key->key() == Qt::Key_Control ? Qt::ControlModifier
                                                                         : Qt::NoModifier;
        modifiers.setFlag(own, type == QEvent::KeyPress);
        UpdateSaveButtons(modifiers);
    }
    return QWidget::eventFilter(watched, event);
}

void TFormService::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        UpdateSaveButtons(isActiveWindow() ? QGuiApplication::queryKeyboardModifiers() : Qt::NoModifier);
    QWidget::changeEvent(event);
}

bool TFormService::AcceptResultsFile(const QString& file) {
    if (!QFileInfo::exists(file)) return true;
    const QString question =
        "Plik\r\n" + ShortenPath(file) + "\r\njuż istnieje.\r\nCzy chcesz dopisywać do niego dane?";
    return ConfYesNoDefault(this, question, "K730", MB_ICONWARNING, 1) &&
           CheckTargetFile(this, file, "K730", langPolish);
}

void TFormService::SaveAsClicked() {
    if (Page() != spDac && Page() != spBin) return;
    const QString proposed =
        LastResultsFolder() + "/" + QDateTime::currentDateTime().toString("yyyy MM dd hh mm") + ".txt";
    QString file;
    if (ChooseResultsFile) {
        file = ChooseResultsFile(proposed);
    } else {
        QString selected;
        const QString chosen =
            QFileDialog::getSaveFileName(this, "Zapisz jako", proposed, RESULT_DIALOG_FILTER, &selected,
                                         QFileDialog::DontConfirmOverwrite);
        file = SaveDialogFileName(chosen, RESULT_FILTER, selected.startsWith("Wszystkie") ? 2 : 1);
        if (!file.isEmpty() && !AcceptResultsFile(file)) file.clear();
    }
    if (!file.isEmpty()) {
        resultsFile_ = file;
        LastResultsFolder() = QFileInfo(file).absolutePath();
        AppendResults();
    }
    UpdateSaveButtons(QGuiApplication::queryKeyboardModifiers());
}

void TFormService::SaveAddClicked() {
    if (Page() != spDac && Page() != spBin) return;
    if (resultsFile_.isEmpty()) return SaveAsClicked();
    AppendResults();
    UpdateSaveButtons(QGuiApplication::queryKeyboardModifiers());
}

// The results page writes a line and announces it; the DAC page only
// announces the file, for the cooperating program to read its multimeter.
bool TFormService::AppendResults() {
    const bool fromDac = Page() == spDac;
    if (!fromDac) {
        const auto values = ResultLineValues(constants_.Block(), ctx_.Averages ? ctx_.Averages() : nullptr);
        if (!values || !AppendResultLine(S(resultsFile_), FormatResultLine(*values, ctx_.decimalSeparator))) {
            Tell("Nie udało się zapisać danych do pliku.", MB_ICONWARNING);
            return false;
        }
        ShowSplash();
    }
    const std::string name = S(resultsFile_);
    const uint32_t from = fromDac ? RESULT_FROM_DAC : RESULT_FROM_RESULTS;
    if (ctx_.Announce)
        ctx_.Announce(name, from);
    else
        AnnounceResultFile(name, from);
    return true;
}

void TFormService::ShowSplash() {
    imageSplash_->move((width() - imageSplash_->width()) / 2, (height() - imageSplash_->height()) / 2);
    imageSplash_->raise();
    imageSplash_->show();
    QTimer::singleShot(SPLASH_MS, imageSplash_, &QWidget::hide);
}

} // namespace k730
