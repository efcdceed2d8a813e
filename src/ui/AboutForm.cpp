#include "ui/AboutForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/InfoMemo.h"

namespace korvel::ui {

namespace {

// A programmer's chip drawn in code: the picture needs no image file.
QPixmap ChipPicture() {
  QPixmap pix(72, 72);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
  for (int i = 0; i < 4; ++i) {
    const int at = 18 + i * 12;
    p.drawLine(at, 4, at, 14);
    p.drawLine(at, 58, at, 68);
    p.drawLine(4, at, 14, at);
    p.drawLine(58, at, 68, at);
  }
  p.setBrush(QColor(0x20, 0x30, 0x60));
  p.drawRoundedRect(14, 14, 44, 44, 4, 4);
  p.setBrush(QColor(0xD0, 0xD8, 0xF0));
  p.drawEllipse(20, 20, 6, 6);
  return pix;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TAboutForm");
  setWindowTitle(QStringLiteral("About"));
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* picture = new QLabel(this);
  picture->setObjectName("Image1");
  picture->setPixmap(ChipPicture());
  picture->setAlignment(Qt::AlignTop);

  auto* product = new QLabel(QStringLiteral("KorvelVatST Flash MCU 编程器"), this);
  product->setObjectName("ProductName");
  product->setWordWrap(true);
  product->setFont(CjkFont(16));
  auto* version = new QLabel(QStringLiteral("Version V1.4"), this);
  version->setObjectName("Version");
  auto* date = new QLabel(QStringLiteral("2021年03月03日"), this);
  date->setObjectName("ReleaseDate");
  date->setFont(CjkFont(12));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("BitBtn1");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(product);
  texts->addWidget(version);
  texts->addWidget(date);
  texts->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addSpacing(12);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addSpacing(8);
  all->addLayout(buttons);
  setFixedSize(320, 170);
}

void TAboutForm::showEvent(QShowEvent* event) {
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

}  // namespace korvel::ui
