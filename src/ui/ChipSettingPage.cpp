#include "ui/ChipSettingPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>

#include "ui/ChannelGauge.h"
#include "ui/ControlBinder.h"
#include "ui/InfoMemo.h"

namespace korvel::ui {

namespace {

// Right column: InfoPanel, InfoMemo and the gauges.
constexpr int kRightX = 450;
constexpr int kRightWidth = 446;
constexpr int kMemoTop = 36;
constexpr int kGaugeHeight = 17;

template <class W>
W* Place(W* w, const char* name, int x, int y, int width, int height) {
  if (name) w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(x, y, width, height);
  return w;
}

QLabel* Label(QWidget* parent, const QString& text, int x, int y, int width = 0) {
  auto* l = new QLabel(text, parent);
  l->move(x, y);
  if (width) l->resize(width, l->sizeHint().height());
  else l->adjustSize();
  return l;
}

QCheckBox* Box(QWidget* parent, ControlBinder& binder, CheckBoxState& state, const char* name,
               int x, int y, int width = 200) {
  auto* b = Place(new QCheckBox(parent), name, x, y, width, 22);
  binder.Bind(b, state);
  return b;
}

QSpinBox* Spin(QWidget* parent, ControlBinder& binder, SpinEditState& state, const char* name,
               int y, int labelWidth, int spinWidth) {
  auto* caption = Label(parent, QString(), 10, y + 3, labelWidth);
  caption->setObjectName(QStringLiteral("Label%1").arg(QString::fromLatin1(name)));
  auto* s = Place(new QSpinBox(parent), name, 10 + labelWidth, y, spinWidth, 24);
  s->setAlignment(Qt::AlignRight);
  binder.Bind(s, caption, state);
  return s;
}

QGroupBox* Radios(QWidget* parent, ControlBinder& binder, RadioGroupState& state,
                  const char* name, int x, int y, int width, int rowHeight) {
  const int rows = static_cast<int>(state.Items.size());
  auto* group = Place(new QGroupBox(parent), name, x, y, width, 24 + rows * rowHeight);
  auto* buttons = new QButtonGroup(group);
  for (int i = 0; i < rows; ++i) {
    auto* r = Place(new QRadioButton(group), nullptr, 10, 20 + i * rowHeight, width - 16, 20);
    buttons->addButton(r, i);
  }
  binder.Bind(group, buttons, state);
  return group;
}

QLineEdit* Edit(QWidget* parent, ControlBinder& binder, EditState& state, const char* name,
                int x, int y, int width) {
  auto* e = Place(new QLineEdit(parent), name, x, y, width, 24);
  binder.Bind(e, state);
  return e;
}

}  // namespace

ChipSettingPage::ChipSettingPage(AppState& app, ControlBinder& binder,
                                 std::function<void(const std::string&)> onButton,
                                 QWidget* parent)
    : QWidget(parent), app_(app), binder_(binder), onButton_(std::move(onButton)) {
  setObjectName("ChipSett");
  BuildChipGroup();
  BuildOptions();

  pageControlSet_ = Place(new QTabWidget(this), "PageControlSet", 6, 234, 436, 192);
  const char* tabNames[3] = {"TabSheetSN", "TabSheetCount", "TabSheetSignal"};
  const char* tabTitles[3] = {"序列号设置", "数量设置和芯片检测", "信号输出控制"};
  QWidget* tabs[3];
  for (int i = 0; i < 3; ++i) {
    tabs[i] = new QWidget;
    tabs[i]->setObjectName(QString::fromLatin1(tabNames[i]));
    pageControlSet_->addTab(tabs[i], QString::fromUtf8(tabTitles[i]));
  }
  BuildSerialTab(tabs[0]);
  BuildCountTab(tabs[1]);
  BuildSignalTab(tabs[2]);
  BuildCommGroup();

  info_ = Place(new QLabel(this), "InfoPanel", kRightX, 4, kRightWidth, 28);
  info_->setFrameShape(QFrame::Panel);
  info_->setFrameShadow(QFrame::Sunken);
  info_->setAlignment(Qt::AlignCenter);
  QFont bold = CjkFont(15);
  bold.setBold(true);
  info_->setFont(bold);
  info_->setStyleSheet(QStringLiteral("color: red;"));
  binder_.Bind(info_, app_.Controls.InfoPanelCaption);

  memo_ = new InfoMemo(app_.Log, this);
  for (int i = 0; i < kChannelCount; ++i) {
    names_[i] = new QLabel(this);
    names_[i]->setObjectName(QStringLiteral("GaugeName%1").arg(i + 1));
    counts_[i] = new QLabel(this);
    counts_[i]->setObjectName(QStringLiteral("GaugeCounts%1").arg(i + 1));
    counts_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    gauges_[i] = new ChannelGauge(i, this);
  }
  layout_ = GaugeLayoutFor(kChannelCount);
  PlaceRightColumn();
}

void ChipSettingPage::BuildChipGroup() {
  auto* group = Place(new QGroupBox(QStringLiteral("芯片设置"), this), "GroupBoxChip", 6, 2,
                      436, 86);
  Label(group, QStringLiteral("芯片型号："), 10, 26);
  auto* name = Place(new QLineEdit(group), "MCUNameEdit", 84, 22, 214, 24);
  name->setReadOnly(true);
  auto* dev = Place(new QPushButton(QStringLiteral("选择芯片..."), group), "DevButton", 306, 21,
                    120, 26);
  connect(dev, &QPushButton::clicked, this, [this] { onButton_("DevButton"); });
  Label(group, QStringLiteral("Flash: "), 10, 58)->setObjectName("LabelFlash");
  QLabel* flash = Label(group, QStringLiteral("----"), 84, 58, 110);
  flash->setObjectName("lbFlashSize");
  QLabel* eepLabel = Label(group, QStringLiteral("Data EEP: "), 200, 58, 90);
  eepLabel->setObjectName("LabelEep");
  QLabel* eep = Label(group, QStringLiteral("----"), 290, 58, 130);
  eep->setObjectName("lbEEPSize");
  // The confirmed chip and its sizes; "----" until a chip is chosen.
  const MainControls& c = app_.Controls;
  binder_.Add([name, flash, eepLabel, eep, &c] {
    auto shown = [](const std::string& s) { return s.empty() ? QStringLiteral("----") : Q(s); };
    if (name->text() != Q(c.MCUNameEdit)) name->setText(Q(c.MCUNameEdit));
    flash->setText(shown(c.lbFlashSize));
    eepLabel->setText(Q(c.LabelEep));
    eep->setText(shown(c.lbEEPSize));
  });
}

void ChipSettingPage::BuildOptions() {
  MainControls& c = app_.Controls;
  auto* group = Place(new QGroupBox(QStringLiteral("编程选项"), this), "GroupBoxOpt", 6, 92,
                      436, 138);
  Radios(group, binder_, c.RadioGrpSpdF, "RadioGrpSpdF", 8, 16, 118, 20);
  Radios(group, binder_, c.RadioGpVolt, "RadioGpVolt", 134, 16, 100, 20);
  Box(group, binder_, c.ChkBoxIgnOptB, "ChkBoxIgnOptB", 244, 14);
  Box(group, binder_, c.EnWrtEep, "EnWrtEep", 244, 34);
  Box(group, binder_, c.VfyChkBox, "VfyChkBox", 244, 54);
  Label(group, QStringLiteral("产品名称："), 244, 82);
  Edit(group, binder_, c.ProductEdit, "ProductEdit", 316, 78, 110);
  Box(group, binder_, c.ChkBoxNotBlk, "ChkBoxNotBlk", 10, 108, 230);
  auto* options = Place(new QPushButton(QStringLiteral("Option Byte 设置"), group), "BitBtnOptCfg",
                        250, 106, 176, 26);
  connect(options, &QPushButton::clicked, this, [this] { onButton_("BitBtnOptCfg"); });
}

void ChipSettingPage::BuildSerialTab(QWidget* tab) {
  MainControls& c = app_.Controls;
  Box(tab, binder_, c.CheckBoxSN, "CheckBoxSN", 10, 6)
      ->setToolTip(QStringLiteral("序列号只存储于Flash区域！"));
  Box(tab, binder_, c.ChkBoxSNDP, "ChkBoxSNDP", 230, 6);
  Label(tab, QStringLiteral("序列号："), 10, 38);
  Edit(tab, binder_, c.SNEdit, "SNEdit", 76, 34, 130);
  Label(tab, QStringLiteral("步长："), 230, 38);
  Edit(tab, binder_, c.GainEdit, "GainEdit", 280, 34, 70);
  Label(tab, QStringLiteral("地址："), 10, 68);
  Edit(tab, binder_, c.AddrEdit, "AddrEdit", 76, 64, 130);
  Box(tab, binder_, c.ChkBoxPCSN, "ChkBoxPCSN", 230, 65);
  Box(tab, binder_, c.SNOrderChk, "SNOrderChk", 10, 96);
  Box(tab, binder_, c.ChkBoxStrSN, "ChkBoxStrSN", 230, 96);
  auto* cfg = Place(new QPushButton(tab), "ButtonCfgSN", 10, 126, 196, 28);
  binder_.Bind(cfg, c.ButtonCfgSN);
  connect(cfg, &QPushButton::clicked, this, [this] { onButton_("ButtonCfgSN"); });
}

void ChipSettingPage::BuildCountTab(QWidget* tab) {
  MainControls& c = app_.Controls;
  Box(tab, binder_, c.ChkBoxAuto, "ChkBoxAuto", 10, 6);
  Spin(tab, binder_, c.SpinEditIn, "SpinEditIn", 32, 180, 100);
  Spin(tab, binder_, c.SpinEditOut, "SpinEditOut", 62, 180, 100);
  Box(tab, binder_, c.CheckBoxCtrl, "CheckBoxCtrl", 10, 96);
  Spin(tab, binder_, c.SpinEditNum, "SpinEditNum", 124, 180, 130);
}

void ChipSettingPage::BuildSignalTab(QWidget* tab) {
  MainControls& c = app_.Controls;
  Radios(tab, binder_, c.RadioGrpRST, "RadioGrpRST", 8, 4, 190, 20);
  Box(tab, binder_, c.ChkBoxVDD, "ChkBoxVDD", 214, 12, 210);
  Box(tab, binder_, c.CheckBoxRun, "CheckBoxRun", 214, 40, 210);
  Spin(tab, binder_, c.SpinEditVddTim, "SpinEditVddTim", 98, 160, 90);
  Spin(tab, binder_, c.SpinEditRstTim, "SpinEditRstTim", 128, 160, 90);
}

void ChipSettingPage::BuildCommGroup() {
  MainControls& c = app_.Controls;
  auto* group = Place(new QGroupBox(QStringLiteral("通讯配置"), this), "GroupBoxComm", 6, 430,
                      436, 60);
  auto* combo = Place(new QComboBox(group), "ComboBoxCOM", 10, 24, 230, 26);
  binder_.Bind(combo, c.ComboBoxCOMItems, c.ComboBoxCOMText);
  auto* find = Place(new QPushButton(QStringLiteral("查找并连接设备"), group), "BitBtnFindDev",
                     252, 23, 174, 28);
  connect(find, &QPushButton::clicked, this, [this] { onButton_("BitBtnFindDev"); });
}

void ChipSettingPage::ShowFirstSettingsTab() { pageControlSet_->setCurrentIndex(0); }

void ChipSettingPage::LayoutGauges(const GaugeLayout& layout) {
  layout_ = layout;
  PlaceRightColumn();
  RefreshGauges();
}

void ChipSettingPage::SetExtra(QSize extra) {
  extra = extra.expandedTo(QSize(0, 0));
  if (extra == extra_) return;
  extra_ = extra;
  PlaceRightColumn();
}

void ChipSettingPage::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) PlaceRightColumn();
}

void ChipSettingPage::PlaceRightColumn() {
  const int width = kRightWidth + extra_.width();
  // The labels take what their longest texts need in the page's font (it
  // comes from the window once the page is placed in it), so that another
  // font or a scaled screen does not clip them.
  const QFontMetrics fm(font());
  nameWidth_ = fm.horizontalAdvance(QStringLiteral("Channel 10  ttyACM10")) + 6;
  countsWidth_ = fm.horizontalAdvance(QStringLiteral("OK 00000  NG 0000")) + 6;
  const GaugeLayout grown = GrowGaugeLayout(layout_, extra_.height());
  info_->setGeometry(kRightX, 4, width, 28);
  memo_->setGeometry(kRightX, kMemoTop, width, grown.MemoHeight);
  const int barX = kRightX + nameWidth_;
  const int barWidth = std::max(40, width - nameWidth_ - countsWidth_);
  for (int i = 0; i < kChannelCount; ++i) {
    const int top = app_.Channels[i].Gauge.Top + extra_.height();
    names_[i]->setGeometry(kRightX, top, nameWidth_ - 4, kGaugeHeight);
    if (!names_[i]->toolTip().isEmpty())
      names_[i]->setText(fm.elidedText(names_[i]->toolTip(), Qt::ElideMiddle, nameWidth_ - 4));
    gauges_[i]->setGeometry(barX, top, barWidth, kGaugeHeight);
    counts_[i]->setGeometry(barX + barWidth + 4, top, countsWidth_ - 4, kGaugeHeight);
  }
}

GaugeCaption ChipSettingPage::CaptionFor(int channel) const {
  const std::string port = sources_.PortName ? sources_.PortName(channel) : std::string();
  const bool open = sources_.PortOpen && sources_.PortOpen(channel);
  const ChannelState& ch = app_.Channels[channel];
  const UnitReport unit = sources_.Reports ? sources_.Reports->Current(channel, ch, open) : UnitReport{};
  return CaptionOf(channel, ch, port, unit);
}

void ChipSettingPage::RefreshGauges() {
  bool moved = false;
  for (int i = 0; i < kChannelCount; ++i) {
    const GaugeState& g = app_.Channels[i].Gauge;
    const GaugeCaption caption = CaptionFor(i);
    gauges_[i]->Mirror(g, caption);
    if (gauges_[i]->y() != g.Top + extra_.height()) moved = true;
    const QString name = Q(caption.Name);
    if (names_[i]->toolTip() != name) {
      names_[i]->setToolTip(name);
      names_[i]->setText(names_[i]->fontMetrics().elidedText(name, Qt::ElideMiddle, names_[i]->width()));
    }
    const QString counts = Q(caption.Counts);
    if (counts_[i]->text() != counts) counts_[i]->setText(counts);
    names_[i]->setEnabled(!caption.NoUnit);
    counts_[i]->setEnabled(!caption.NoUnit);
    if (names_[i]->isVisibleTo(this) != g.Visible) {
      names_[i]->setVisible(g.Visible);
      counts_[i]->setVisible(g.Visible);
    }
  }
  if (moved) PlaceRightColumn();
}

}  // namespace korvel::ui
