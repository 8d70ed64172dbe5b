#include "service/PageBin.h"
#include "service/ServicePageKit.h"

#include "service/K730FrameRes.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace k730 {

using namespace svcqt;

TPageBin::TPageBin(TRawExchange& exchange, char decimalSeparator, TSend send, QWidget* parent)
    : QWidget(parent), exchange_(exchange), send_(std::move(send)) {
    setObjectName("PageBIN");
    auto* column = new QVBoxLayout(this);
    frameRes_ = new TFrameRes(decimalSeparator, this);
    column->addWidget(frameRes_);

    auto* grid = new QGridLayout;
    editAddr_ = MakeEdit(this, "EditAddr", "Adres:", 6);
    grid->addWidget(Caption(this, "Adres:", editAddr_), 0, 0);
    grid->addWidget(editAddr_, 0, 1);
    for (size_t i = 0; i < 2; ++i) {
        const int line = static_cast<int>(i) + 1;
        const std::string n = std::to_string(i + 1);
        editCmd_[i] = MakeEdit(this, ("EditCmd" + n).c_str(), "Polecenie:", 4);
        editBuf_[i] = MakeEdit(this, ("EditBuf" + n).c_str(), "Dane:");
        btnSend_[i] = MakeButton(this, ("BtnSend" + n).c_str(), "Wyślij");
        auto* labelCmd = Caption(this, "Polecenie:", editCmd_[i]);
        labelCmd->setObjectName(Q("LabelCmd" + n));
        auto* labelBuf = Caption(this, "Dane:", editBuf_[i]);
        labelBuf->setObjectName(Q("LabelBuf" + n));
        grid->addWidget(labelCmd, line, 0);
        grid->addWidget(editCmd_[i], line, 1);
        grid->addWidget(labelBuf, line, 2);
        grid->addWidget(editBuf_[i], line, 3);
        grid->addWidget(btnSend_[i], line, 4);
    }
    editBuf_[2] = MakeEdit(this, "EditBuf3", "Bufor:");
    btnSend_[2] = MakeButton(this, "BtnSend3", "Wyślij");
    auto* labelBuf3 = Caption(this, "Bufor:", editBuf_[2]);
    labelBuf3->setObjectName("LabelBuf3");
    grid->addWidget(labelBuf3, 3, 0);
    grid->addWidget(editBuf_[2], 3, 1, 1, 3);
    grid->addWidget(btnSend_[2], 3, 4);
    grid->setColumnStretch(3, 1);
    column->addLayout(grid);

    labelRawState_ = MakeLabel(this, "LabelRawState");
    column->addWidget(labelRawState_);
    auto* exchangeGrid = new QGridLayout;
    editRawSent_ = MakeEdit(this, "EditRawSent", "Wysłano:");
    editRawAnswer_ = MakeEdit(this, "EditRawAnswer", "Odpowiedź:");
    for (QLineEdit* e : {editRawSent_, editRawAnswer_})
        e->setReadOnly(true);
    exchangeGrid->addWidget(Caption(this, "Wysłano:", editRawSent_), 0, 0);
    exchangeGrid->addWidget(editRawSent_, 0, 1);
    exchangeGrid->addWidget(Caption(this, "Odpowiedź:", editRawAnswer_), 1, 0);
    exchangeGrid->addWidget(editRawAnswer_, 1, 1);
    column->addLayout(exchangeGrid);
    column->addStretch(1);

    for (int row = 0; row < 3; ++row) {
        connect(btnSend_[static_cast<size_t>(row)], &QPushButton::clicked, this, [this, row] { Send(row); });
        connect(editBuf_[static_cast<size_t>(row)], &QLineEdit::returnPressed, this,
                [this, row] { Send(row); });
    }
    RenderExchange();
}

void TPageBin::SetAddress(const std::string& hex4) {
    editAddr_->setText(Q(hex4));
}

void TPageBin::Send(int row) {
    const size_t r = static_cast<size_t>(row);
    const TRawRequest request =
        row < 2 ? RawCommandRequest(S(editAddr_->text()), S(editCmd_[r]->text()), S(editBuf_[r]->text()))
                : RawFrameRequest(S(editBuf_[2]->text()));
    std::optional<TBytes> frame;
    if (request.error == reOk && send_) frame = send_(request.item);
    if (request.error != reOk || !frame)
        exchange_.Invalid(request.error == reOk ? reData : request.error);
    else
        exchange_.Sent(request.command, *frame);
    RenderExchange();
}

void TPageBin::RenderExchange() {
    SetLabel(labelRawState_, exchange_.StatusText());
    // Frames are read from their start.
    editRawSent_->setText(Q(HexBytesText(exchange_.SentFrame())));
    editRawSent_->setCursorPosition(0);
    editRawAnswer_->setText(Q(HexBytesText(exchange_.AnswerFrame())));
    editRawAnswer_->setCursorPosition(0);
}

} // namespace k730
