#include "engine/ChannelErrors.h"

#include <cstdio>

#include "app/ChannelOps.h"

namespace korvel {

namespace {

struct ErrorText {
  uint8_t Status;
  const char* Text;
};

const ErrorText kErrorTexts[] = {
    {0x04, "芯片未擦除！"},
    {0x0B, "芯片没有响应！"},
    {0x10, "芯片已被写保护！"},
    {0x13, "芯片已被读保护！"},
    {0x20, "数据包错误！"},
    {0x23, "数据包校验错误！"},
    {0x25, "不认识的命令！"},
    {0x2C, "Flash Memory错误！"},
    {0x2D, "写EEP/OTP数据错误！"},
    {0x31, "数据校验错误！"},
    {0x34, "芯片校验和不正确！"},
    {0x36, "芯片类型不正确！"},
    {0x38, "芯片厂家型号不正确！"},
    {0x40, "命令执行超时！"},
    {0x45, "命令执行错误！"},
    {0x47, "写序列好数据错误！"},
    {0x4F, "写Option Byte出错！"},
    {0x51, "Flash的大小与芯片不匹配"},
    {0x55, "地址空间超出芯片范围！"},
    {0x5A, "非法操作，芯片可能被保护！"},
    {0x60, "初始化编程接口错误！"},
    {0xE0, "串口通讯错误！"},
};

bool IsSuccess(uint8_t status) { return status == 0 || status == 6; }

constexpr const char* kSuccessText = "操作成功！";

}  // namespace

std::string ChannelErrorText(uint8_t status) {
  for (const auto& e : kErrorTexts)
    if (e.Status == status) return e.Text;
  char buf[64];
  std::snprintf(buf, sizeof buf, "操作失败！错误代码: 0%d(0x%.2x)！", status, status);
  return buf;
}

void ReportChannelError(AppState& app, OperatorPrompts& prompts, int channel, uint8_t status) {
  ChannelState& ch = app.Channels[channel];
  // 6 is the unit's acknowledge: a success must not end with a red gauge.
  if (IsSuccess(status)) {
    FinishChannel(ch, {ChannelResult::Success, 0, kSuccessText});
    ChannelInfo(app.Log, channel, kSuccessText);
    prompts.Beep();
    return;
  }
  std::string text = ChannelErrorText(status);
  ChannelInfo(app.Log, channel, text);
  FinishChannel(ch, {ChannelResult::Failure, status, std::move(text)});
}

}  // namespace korvel
