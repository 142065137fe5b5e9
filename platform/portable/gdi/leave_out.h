// Transfers left out because they would change nothing.
//
// A frame of the show repeats most of its transfers exactly: a cell drawn
// where it already is, the same rectangle copied to the window again. A
// copy, an OR and an AND give the same pixels when done twice over (so does
// a cell's transparent draw, an OR with its mask followed at once by an AND
// with its picture), so such a transfer is left out when nothing was written
// since it last ran to the pixels it reads or writes (the stamps of each
// pixel store tell). The OR of a pair is owed rather than left out: if the
// next call is not its AND, it is done first. A copy straight back of the
// copy just done is left out too (both places hold the same pixels).
//
// A sprite put back and drawn again (a copy of its saved background, then
// its pair on the same rectangle) writes pixels twice and ends where it
// began. Such a chain is remembered on the copy's entry; when the copy comes
// again with its rectangle and sources as the chain left them, it is owed:
// transfers that touch neither its rectangle nor its source may pass, its
// pair ends the chain with nothing done, and anything else does the copy
// first.
//
// Whatever is owed must be done before any other GDI call looks at or
// changes pixels: objects.cpp reaches its DCs and bitmaps only through an
// accessor that calls Settle().
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/winapi.h"
#include "raster.h"

namespace portable::gdi {

struct Dc;  // objects.cpp's; the leave-out only hands it back

// A BitBlt as it was asked for: what an owed transfer does when it is done
// (its DCs are looked up again then).
struct Call {
  win::HDC dst = nullptr, src = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0, x1 = 0, y1 = 0;
  win::DWORD rop = 0;
};

// A call's DCs and pixels, as the handle table found them.
struct Resolved {
  Dc* dstDc = nullptr;
  View dst, src;
  bool readsSource = false;  // src is valid only then
  Colours colours;
  bool bitmaps = false;  // both DCs are memory DCs: only they make chains
  bool window = false;   // the destination is one of our windows
  const View* Source() const { return readsSource ? &src : nullptr; }
};

// What the leave-out asks of the handle table (objects.cpp).
class TransferSide {
 public:
  // A call's DCs and pixels; false when a DC or its pixels are missing.
  virtual bool Resolve(const Call& c, Resolved* r) = 0;
  // Does the transfer and shows it; `*drawn` is the destination rectangle
  // it drew. False as BitBlt fails.
  virtual bool Do(const Call& c, const Resolved& r, Rect* drawn) = 0;

 protected:
  ~TransferSide() = default;
};

class LeaveOut {
 public:
  explicit LeaveOut(TransferSide& side) : side_(side) {}
  LeaveOut(const LeaveOut&) = delete;
  LeaveOut& operator=(const LeaveOut&) = delete;

  // BitBlt: the transfer is done, left out, or owed.
  bool Transfer(const Call& c);
  // Before any other GDI call: whatever is owed is done, and nothing just
  // done can pair with or begin a chain with what follows.
  void Settle();
  // For tests: with leaving out off, every transfer is done.
  void SetEnabled(bool enabled);
  std::uint64_t LeftOut() const { return leftOut_; }

  // What identifies a transfer: its stores (by serial), rectangle, source
  // position, operation and the colours it converts with.
  struct Key {
    std::uint64_t dst = 0, src = 0;
    int x = 0, y = 0, cx = 0, cy = 0, x1 = 0, y1 = 0;
    win::DWORD rop = 0;
    win::COLORREF dstBk = 0, dstText = 0, srcBk = 0;
    bool operator==(const Key&) const = default;
    std::size_t Hash() const;
  };
  // A transfer expected next (the AND of a pair, the OR or AND of a chain):
  // its key, the source rectangle it reads, and the write number after
  // which that source must be unchanged for it to be left out.
  struct Expected {
    Key key;
    Rect src;
    std::uint64_t seq = 0;
    bool Met(const Key& k, const Resolved& r) const;
  };

 private:
  // A transfer done, as remembered: where it wrote and read, and when.
  struct Entry {
    Key key;
    Rect dst, src;
    std::uint64_t seq = 0;
    // An OR: its AND on the same rectangle followed at once (`next`). A
    // copy: such a pair followed it on the rectangle it wrote (`next` the
    // OR, `after` the AND). Both ended at `next.seq`.
    bool paired = false;
    Expected next, after;
  };
  // Four ways per set, so that the few hundred transfers a frame repeats
  // seldom push each other out; a set's tags are looked at first, and only
  // the entry whose tag matches is read.
  class Memo {
   public:
    Entry* Find(const Key& k);
    // The entry for `k`: its own if it has one, else an empty or the oldest way.
    Entry& Slot(const Key& k);

   private:
    static constexpr std::size_t kSets = 256, kWays = 4;  // kSets a power of two
    static std::uint32_t Tag(std::size_t hash);
    std::vector<Entry> entries_ = std::vector<Entry>(kSets * kWays);
    std::vector<std::uint32_t> tags_ = std::vector<std::uint32_t>(kSets * kWays);
    std::vector<std::uint8_t> victim_ = std::vector<std::uint8_t>(kSets);
  };

  bool Remembered(const Call& c, const Resolved& r) const;
  Key KeyOf(const Call& c, const Resolved& r) const;
  // Resolves the call and does it; what it writes is remembered.
  bool Run(const Call& c);
  bool Execute(const Call& c, const Resolved& r);
  void Remember(const Call& c, const Resolved& r, const Key& key, const Rect& drawn);
  bool Skip(int transfers);
  bool SkipCopy(const Resolved& r, const Rect& drawn);
  bool CopiesBack(const Call& c, const Resolved& r, const Key& key) const;
  bool TouchesOwedCopy(const Call& c, const Key& key) const;
  void SettleCopy();
  void SettleOr();

  TransferSide& side_;
  Memo memo_;
  bool enabled_ = true;
  std::uint64_t leftOut_ = 0;

  // ---- the states, all of them --------------------------------------------------------
  //
  // What is owed: transfers left out for now, done as soon as anything but
  // what they expect comes. An OR whose AND should follow (it touches
  // nothing the owed copy does), and a copy that begins a known chain,
  // with the chain's OR once that has come.
  struct OwedOr {
    bool active = false;
    Call call;
    Expected andOp;
  } owedOr_;
  struct OwedCopy {
    enum State { None, Copy, CopyAndOr } state = None;
    Call call, orCall;
    Key key;
    Rect dst, src;
    Expected orOp, andOp;
  } owedCopy_;
  // The chain being learned: the last copy done from one bitmap into
  // another while nothing else wrote where it wrote or read (Copied), then
  // an OR just done on the rectangle it wrote (OrDone); an AND on that
  // rectangle right after makes the chain, remembered on the copy's entry.
  struct Chain {
    enum State { None, Copied, OrDone } state = None;
    Key copy;
    Rect dst, src, orSrc;
  } chain_;
  // The transfer just done, or the copy just owed: a copy straight back of
  // it is left out, and an AND after an OR on the same rectangle makes a
  // pair.
  struct Last {
    bool valid = false;
    Key key;
    Rect dst;
  } last_;
};

}  // namespace portable::gdi
