#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

namespace korvel {

// The programmer line runs at 1,000,000 baud with 11 bits a byte (start,
// eight data bits, two stop bits): 11 µs per byte.
inline constexpr uint64_t kWireByteUs = 11;
inline constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

// When bytes from the host have crossed the line into the unit. Without
// pacing they are there the moment they are handed in; with it the line
// carries them one after the other.
class InputPacer {
 public:
  explicit InputPacer(bool wire = false) : wire_(wire) {}
  // A chunk of n bytes handed in at nowUs: returns the time its first byte
  // started to cross; byte i has arrived at Start + (i + 1) * PerByte().
  uint64_t Arrive(uint64_t nowUs, size_t n);
  uint64_t PerByte() const { return wire_ ? kWireByteUs : 0; }

 private:
  bool wire_;
  uint64_t lineFree_ = 0;
};

// What the unit has to send, each chunk ready at its time, in order of
// readiness (chunks ready at the same time keep their order). With pacing
// the line sends one chunk after the other, so a chunk is due when its last
// byte has crossed: max(ready, end of the previous chunk) + 11 µs a byte.
class OutputSchedule {
 public:
  explicit OutputSchedule(bool wire = false) : wire_(wire) {}
  // tag marks chunks that may be taken back (0: a reply, never taken back).
  void Add(uint64_t readyUs, std::vector<uint8_t> bytes, uint8_t tag = 0);
  // Takes back the waiting chunks that carry tag; returns how many.
  size_t Drop(uint8_t tag);
  // When the first waiting chunk is due; kNever when nothing waits.
  uint64_t NextDueUs() const;
  // Appends the chunks due by nowUs to out.
  void TakeDue(uint64_t nowUs, std::vector<uint8_t>& out);
  // Appends everything, due or not (an in-process link has no clock).
  void TakeAll(std::vector<uint8_t>& out);
  bool Empty() const { return chunks_.empty(); }
  size_t Waiting() const { return chunks_.size(); }

 private:
  struct Chunk {
    uint64_t Ready;
    std::vector<uint8_t> Bytes;
    uint8_t Tag = 0;
  };
  std::deque<Chunk> chunks_;
  bool wire_;
  uint64_t lineFree_ = 0;
};

}  // namespace korvel
