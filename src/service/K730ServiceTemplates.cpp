// TFormService's template menu: the last template, opening one from the
// library, adding the present settings, editing the library, and importing
// and exporting whole library files.
#include "files/FileIo.h"
#include "files/K730Disk.h"
#include "main/K730Fun.h"
#include "main/K730Settings.h"
#include "service/K730Service.h"
#include "service/ServiceQt.h"
#include "service/K730Template.h"
#include "service/PageEEPROM.h"
#include "ui/ConfBox.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

namespace k730 {

using svcqt::Q;
using svcqt::S;

namespace {

// The folder the template file dialogs start in, for the whole run.
QString& LastTemplateFolder() {
    static QString folder;
    if (folder.isEmpty()) {
        folder = DocumentsFolder();
        if (folder.endsWith('/')) folder.chop(1);
    }
    return folder;
}

const QString TEMPLATE_FILTER = "Pliki szablonów (*.dat);;Wszystkie pliki (*.*)";

} // namespace

void TFormService::BuildTemplateMenu() {
    menuTemplate_ = new QMenu(this);
    menuTemplate_->setObjectName("MenuTemplate");
    auto add = [this](const char* name, const QString& text, void (TFormService::*slot)()) {
        QAction* a = menuTemplate_->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    menuLastTemplate_ = add("MenuLastTemplate", "Otwórz", &TFormService::LastTemplateClicked);
    menuOpen_ = add("MenuOpen", "Otwórz...", &TFormService::OpenTemplateClicked);
    menuSave_ = add("MenuSave", "Dopisz", &TFormService::SaveTemplateClicked);
    menuEdit_ = add("MenuEdit", "Edytuj", &TFormService::EditTemplatesClicked);
    menuTemplate_->addSeparator();
    menuImport_ = add("MenuImport", "Importuj", &TFormService::ImportClicked);
    menuExport_ = add("MenuExport", "Eksportuj", &TFormService::ExportClicked);
    pageEEPROM_->TemplateButton()->setMenu(nullptr);
}

void TFormService::RefreshTemplateMenu() {
    const TSettingsEnabled e = rules_.Enabled();
    menuOpen_->setEnabled(e.open);
    menuSave_->setEnabled(e.program);
    const TProgramSettings* s = ctx_.settings;
    const bool last = s && !s->LastTemplateName.empty() && IsValidTemplateKind(s->LastTemplateKind) &&
                      TemplateExists(ctx_.libraryPath, s->LastTemplateName, s->LastTemplateKind);
    menuLastTemplate_->setVisible(last);
    menuLastTemplate_->setEnabled(last && e.open);
    if (last) menuLastTemplate_->setText("Otwórz " + Q(EscapeAmpersands(s->LastTemplateName)));
    menuTemplate_->setDefaultAction(last ? menuLastTemplate_ : nullptr);
    // Import and export work on the library while the settings page is shown.
    const bool settingsPage = Page() == spEEPROM;
    menuImport_->setEnabled(settingsPage);
    menuExport_->setEnabled(settingsPage && IsTemplateFile(ctx_.libraryPath));
}

void TFormService::TemplateClicked() {
    RefreshTemplateMenu();
    QPushButton* button = pageEEPROM_->TemplateButton();
    menuTemplate_->popup(button->mapToGlobal(QPoint(button->width(), 0)));
}

void TFormService::ApplyTemplate(const TTemplateRec& t) {
    if (rules_.ApplyTemplate(t) && ctx_.settings) {
        ctx_.settings->LastTemplateName = t.MeterName;
        ctx_.settings->LastTemplateKind = t.MeterKind;
    }
    pageEEPROM_->Render();
    RefreshTemplateMenu();
}

void TFormService::LastTemplateClicked() {
    if (!ctx_.settings) return;
    TTemplateRec key;
    key.MeterName = ctx_.settings->LastTemplateName;
    key.MeterKind = ctx_.settings->LastTemplateKind;
    if (FindTemplate(ctx_.libraryPath, key))
        ApplyTemplate(key);
    else
        Tell("Nie udało się odczytać szablonu\r\n" + key.MeterName, MB_ICONWARNING);
}

int TFormService::RunEditor(TFormTemplate& editor) {
    return RunTemplateEditor ? RunTemplateEditor(editor) : editor.exec();
}

void TFormService::OpenTemplateClicked() {
    TFormTemplate editor(tmOpen, ctx_.libraryPath, rules_.CurrentTemplate(), ctx_.language,
                         ctx_.decimalSeparator, ctx_.settings, this);
    if (RunEditor(editor) == QDialog::Accepted) ApplyTemplate(editor.Editor().Record());
}

void TFormService::SaveTemplateClicked() {
    TFormTemplate editor(tmSave, ctx_.libraryPath, rules_.CurrentTemplate(), ctx_.language,
                         ctx_.decimalSeparator, ctx_.settings, this);
    RunEditor(editor);
    RefreshTemplateMenu();
}

void TFormService::EditTemplatesClicked() {
    TFormTemplate editor(tmEdit, ctx_.libraryPath, rules_.CurrentTemplate(), ctx_.language,
                         ctx_.decimalSeparator, ctx_.settings, this);
    RunEditor(editor);
    if (editor.Editor().Saved()) ReadSpectralLists();
    RefreshTemplateMenu();
}

void TFormService::ReadSpectralLists() {
    TSpectralLists lists;
    if (!ReadTemplateLibrary(ctx_.libraryPath, &lists, nullptr)) return;
    rules_.SetSpectralLists(std::move(lists));
    pageEEPROM_->Render();
}

void TFormService::ImportClicked() {
    const QString file =
        QFileDialog::getOpenFileName(this, "Importuj", LastTemplateFolder(), TEMPLATE_FILTER);
    if (file.isEmpty()) return;
    LastTemplateFolder() = QFileInfo(file).absolutePath();
    const TAskImportMode askMode = [this](const TFileMessage& question) {
        int choice = 0;
        if (!ConfChoice(this, Q(question.pl), "K730", MB_ICONQUESTION, 0, choice,
                        {"Synchronizuj plik szablonów", "Nadpisz plik szablonów"}))
            return tiCancel;
        return choice == 1 ? tiOverwrite : tiSynchronize;
    };
    const TAskAll askDuplicate = [this](const TFileMessage& question) {
        switch (ConfAsk(this, Q(question.pl), "K730", MB_ICONQUESTION, true, false)) {
        case crYes:
            return aaYes;
        case crYesAll:
            return aaYesToAll;
        case crNoAll:
            return aaNoToAll;
        case crCancel:
            return aaCancel;
        default:
            return aaNo;
        }
    };
    const QFontMetrics metrics = fontMetrics();
    const TTemplateImport r =
        ImportTemplateFile(ctx_.libraryPath, S(file), S(ShortenPath(file)), askMode, askDuplicate,
                           [metrics](const std::string& text) { return metrics.horizontalAdvance(Q(text)); });
    if (!r.message.Empty()) Tell(r.message.pl, ConfStyle(r.message.style));
    if (r.changed) ReadSpectralLists();
    RefreshTemplateMenu();
}

void TFormService::ExportClicked() {
    if (!FileExists(ctx_.libraryPath)) return;
    const QString chosen =
        QFileDialog::getSaveFileName(this, "Eksportuj", LastTemplateFolder() + "/K730_Szablon.dat",
                                     TEMPLATE_FILTER, nullptr, QFileDialog::DontConfirmOverwrite);
    const QString file = SaveDialogFileName(chosen, "Pliki szablonów|*.dat|Wszystkie pliki|*.*", 1);
    if (file.isEmpty()) return;
    const QString shown = ShortenPath(file);
    if (QFileInfo::exists(file)) {
        const QString question = "Plik\r\n" + shown + "\r\njuż istnieje.\r\nCzy chcesz go zamienić?";
        if (!ConfYesNoDefault(this, question, "K730", MB_ICONWARNING, 1)) return;
        if (!CheckTargetFile(this, file, "K730", langPolish)) return;
    }
    const TTemplateOutcome r = ExportTemplateLibrary(ctx_.libraryPath, S(file), S(shown));
    if (r.success) LastTemplateFolder() = QFileInfo(file).absolutePath();
    Tell(r.message.pl, ConfStyle(r.message.style));
}

} // namespace k730
