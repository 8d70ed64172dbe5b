#include "traffic/VudIDOConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace k730 {
namespace {

const char* const MODE_NAMES[FRAME_MODE_COUNT] = {"brak", "separacja ramek", "MerBus1", "MerBus2"};
const char* const SUFFIXES[TRAFFIC_BUFFER_COUNT] = {"In", "Frame", "Out"};

} // namespace

TFormVudIDOConfig::TFormVudIDOConfig(uint32_t settings,
                                     const std::array<QString, TRAFFIC_BUFFER_COUNT>& labels, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName("FormVudIDOConfig");
    setWindowTitle(QString::fromUtf8("Bufor portu komunikacji... Konfiguracja"));
    auto* column = new QVBoxLayout(this);
    const auto choices = ViewChoices(settings);
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        const auto i = static_cast<size_t>(b);
        const QString suffix = QString::fromLatin1(SUFFIXES[b]);
        auto* group = new QGroupBox(labels[i], this);
        group->setObjectName("Group" + suffix);
        group->setAccessibleName(labels[i]);
        hex_[i] = new QCheckBox(QString::fromUtf8("Szesnastkowo"), group);
        hex_[i]->setObjectName("ChBHex" + suffix);
        chars_[i] = new QCheckBox(QString::fromUtf8("Znaki"), group);
        chars_[i]->setObjectName("ChBChars" + suffix);
        auto* modeLabel = new QLabel(QString::fromUtf8("Rozpoznawanie ramek:"), group);
        modes_[i] = new QComboBox(group);
        modes_[i]->setObjectName("CBMode" + suffix);
        for (const char* name : MODE_NAMES)
            modes_[i]->addItem(QString::fromUtf8(name));
        modeLabel->setBuddy(modes_[i]);
        modes_[i]->setAccessibleName(modeLabel->text());
        for (QCheckBox* box : {hex_[i], chars_[i]})
            box->setAccessibleName(box->text());
        hex_[i]->setChecked(choices[i].views & vwHex);
        chars_[i]->setChecked(choices[i].views & vwChars);
        modes_[i]->setCurrentIndex(choices[i].mode);

        auto* row = new QHBoxLayout(group);
        row->addWidget(hex_[i]);
        row->addWidget(chars_[i]);
        row->addSpacing(12);
        row->addWidget(modeLabel);
        row->addWidget(modes_[i], 1);
        column->addWidget(group);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("BtnOK");
    QPushButton* cancel = buttons->addButton(QString::fromUtf8("Anuluj"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("BtnCancel");
    for (QPushButton* b : {ok, cancel})
        b->setAccessibleName(b->text());
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

uint32_t TFormVudIDOConfig::Settings() const {
    std::array<TBufferViewChoice, TRAFFIC_BUFFER_COUNT> choices;
    for (size_t i = 0; i < choices.size(); ++i) {
        choices[i].views =
            static_cast<uint8_t>((hex_[i]->isChecked() ? vwHex : 0) | (chars_[i]->isChecked() ? vwChars : 0));
        choices[i].mode = static_cast<uint8_t>(std::max(0, modes_[i]->currentIndex()));
    }
    return ComposeViewSettings(settings_, choices);
}

std::optional<uint32_t> TFormVudIDOConfig::Execute(uint32_t settings,
                                                   const std::array<QString, TRAFFIC_BUFFER_COUNT>& labels,
                                                   QWidget* parent) {
    TFormVudIDOConfig dialog(settings, labels, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.Settings() == settings) return std::nullopt;
    return dialog.Settings();
}

} // namespace k730
