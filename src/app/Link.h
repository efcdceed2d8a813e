#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace korvel {

// Raised by a link where the serial component raises its own error class.
class ECommsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The five notifications of a link, delivered on the UI thread in posting
// order. A handler left empty drops its notification.
struct LinkEvents {
  std::function<void(const uint8_t* data, size_t length)> OnReceiveData;
  std::function<void(uint32_t eventMask)> OnReceiveError;
  std::function<void()> OnRequestHangup;
  std::function<void(uint32_t modemEvent)> OnModemStateChange;
  std::function<void()> OnSendDataEmpty;
};

// One programmer channel's byte pipe. TComm is the serial one; tests plug a
// link straight into an in-process simulated unit.
class Link {
 public:
  virtual ~Link() = default;

  virtual void SetCommName(const std::string& name) = 0;
  virtual std::string CommName() const = 0;
  // Throws ECommsError "This serial port already opened" when open.
  virtual void OpenPort() = 0;
  // Closing a closed link does nothing.
  virtual void ClosePort() = 0;
  virtual bool IsOpen() const = 0;
  // Queues the bytes; false when closed or length is 0. Never waits.
  virtual bool SendData(const uint8_t* data, size_t length) = 0;

  LinkEvents Events;
};

}  // namespace korvel
