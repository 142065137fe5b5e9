// Transfers left out because they would change nothing (see leave_out.h).
#include "gdi/leave_out.h"

#include <cstdint>

#include "gdi/counters.h"

namespace portable::gdi {

namespace {

using win::SRCAND;
using win::SRCCOPY;
using win::SRCPAINT;

bool Same(const Rect& a, const Rect& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// In 64 bits: a transfer's own extent, not yet clipped, may end past INT_MAX.
bool Meet(const Rect& a, const Rect& b) {
  using I = std::int64_t;
  return !a.Empty() && !b.Empty() && a.x < I{b.x} + b.w && b.x < I{a.x} + a.w &&
         a.y < I{b.y} + b.h && b.y < I{a.y} + a.h;
}

}  // namespace

std::size_t LeaveOut::Key::Hash() const {
  std::uint64_t h = dst * 0x9E3779B97F4A7C15ull ^ src * 0xC2B2AE3D27D4EB4Full;
  for (std::uint64_t v : {std::uint64_t(std::uint32_t(x)) << 32 | std::uint32_t(y),
                          std::uint64_t(std::uint32_t(cx)) << 32 | std::uint32_t(cy),
                          std::uint64_t(std::uint32_t(x1)) << 32 | std::uint32_t(y1),
                          std::uint64_t(rop) << 32 | dstBk, std::uint64_t(dstText) << 32 | srcBk})
    h = (h ^ v) * 0x100000001B3ull;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

bool LeaveOut::Expected::Met(const Key& k, const Resolved& r) const {
  return k == key && r.src.stamps->Unchanged(src, seq);
}

std::uint32_t LeaveOut::Memo::Tag(std::size_t hash) {
  return static_cast<std::uint32_t>(hash >> 8) | 1u;
}

LeaveOut::Entry* LeaveOut::Memo::Find(const Key& k) {
  const std::size_t h = k.Hash(), set = h & (kSets - 1);
  const std::uint32_t tag = Tag(h);
  for (std::size_t w = 0; w < kWays; ++w) {
    const std::size_t i = set * kWays + w;
    if (tags_[i] == tag && entries_[i].key == k) return &entries_[i];
  }
  return nullptr;
}

LeaveOut::Entry& LeaveOut::Memo::Slot(const Key& k) {
  if (Entry* e = Find(k)) return *e;
  const std::size_t h = k.Hash(), set = h & (kSets - 1);
  std::size_t way = kWays;
  for (std::size_t w = 0; w < kWays && way == kWays; ++w)
    if (tags_[set * kWays + w] == 0) way = w;
  if (way == kWays) {
    way = victim_[set];
    victim_[set] = static_cast<std::uint8_t>((way + 1) % kWays);
  }
  tags_[set * kWays + way] = Tag(h);
  return entries_[set * kWays + way];
}

// Only a copy, an OR or an AND of two different stores whose writes are
// followed, of a plain (positive) size.
bool LeaveOut::Remembered(const Call& c, const Resolved& r) const {
  return enabled_ && r.readsSource && r.dst.stamps && r.src.stamps && r.dst.bits != r.src.bits &&
         c.cx > 0 && c.cy > 0 && (c.rop == SRCCOPY || c.rop == SRCPAINT || c.rop == SRCAND);
}

LeaveOut::Key LeaveOut::KeyOf(const Call& c, const Resolved& r) const {
  return Key{r.dst.stamps->Serial(),
             r.src.stamps->Serial(),
             c.x,
             c.y,
             c.cx,
             c.cy,
             c.x1,
             c.y1,
             c.rop,
             r.colours.dstBk,
             r.colours.dstText,
             r.colours.srcBk};
}

bool LeaveOut::Run(const Call& c) {
  Resolved r;
  if (!side_.Resolve(c, &r)) return false;
  return Execute(c, r);
}

bool LeaveOut::Execute(const Call& c, const Resolved& r) {
  Rect drawn;
  if (!side_.Do(c, r, &drawn)) return false;
  if (Remembered(c, r)) {
    Remember(c, r, KeyOf(c, r), drawn);
  } else {
    last_.valid = false;
    chain_.state = Chain::None;
  }
  return true;
}

// After a transfer was done: its entry, the pair or chain it ends, and the
// chain it begins or carries on.
void LeaveOut::Remember(const Call& c, const Resolved& r, const Key& key, const Rect& drawn) {
  Entry& e = memo_.Slot(key);
  e = Entry{};
  e.key = key;
  e.dst = drawn;
  // In 64 bits: the offset of a transfer that drew nothing may not fit.
  if (!drawn.Empty())
    e.src = Rect{static_cast<int>(drawn.x + (std::int64_t{c.x1} - c.x)),
                 static_cast<int>(drawn.y + (std::int64_t{c.y1} - c.y)), drawn.w, drawn.h};
  e.seq = Stamps::Now();
  if (c.rop == SRCAND && last_.valid && last_.key.rop == SRCPAINT && last_.key.dst == key.dst &&
      Same(last_.dst, drawn)) {
    const Expected self{key, e.src, e.seq};
    if (Entry* p = memo_.Find(last_.key)) {
      p->paired = true;
      p->next = self;
    }
    if (chain_.state == Chain::OrDone) {
      if (Entry* h = memo_.Find(chain_.copy)) {
        h->paired = true;
        h->next = Expected{last_.key, chain_.orSrc, e.seq};
        h->after = self;
      }
    }
  }
  if (c.rop == SRCCOPY && r.bitmaps) {
    chain_ = Chain{Chain::Copied, key, drawn, e.src, Rect{}};
  } else if (chain_.state == Chain::Copied && c.rop == SRCPAINT && key.dst == chain_.copy.dst &&
             Same(drawn, chain_.dst)) {
    chain_.state = Chain::OrDone;
    chain_.orSrc = e.src;
  } else if (chain_.state == Chain::OrDone ||
             (chain_.state == Chain::Copied &&
              ((key.dst == chain_.copy.dst && Meet(drawn, chain_.dst)) ||
               (key.dst == chain_.copy.src && Meet(drawn, chain_.src))))) {
    chain_.state = Chain::None;
  }
  last_ = Last{true, key, drawn};
}

bool LeaveOut::Skip(int transfers) {
  leftOut_ += static_cast<std::uint64_t>(transfers);
  last_.valid = false;
  return true;
}

// A transfer left out still counts as copied to a window (the benchmarks
// count what the program copies there).
bool LeaveOut::SkipCopy(const Resolved& r, const Rect& drawn) {
  if (r.window)
    CountWindowPixels(static_cast<std::uint64_t>(drawn.w) * static_cast<std::uint64_t>(drawn.h));
  return Skip(1);
}

// A copy straight back of the copy just done (or owed): both places hold
// the same pixels already (a background saved right after it was put back).
bool LeaveOut::CopiesBack(const Call& c, const Resolved& r, const Key& key) const {
  const Key& l = last_.key;
  return c.rop == SRCCOPY && last_.valid && l.rop == SRCCOPY && r.dst.bpp == r.src.bpp &&
         l.dst == key.src && l.src == key.dst && l.x == c.x1 && l.y == c.y1 && l.x1 == c.x &&
         l.y1 == c.y && l.cx == c.cx && l.cy == c.cy;
}

// Whether a transfer would write or read what the owed copy writes, or
// write what it reads (its own extent, not yet clipped, is enough).
bool LeaveOut::TouchesOwedCopy(const Call& c, const Key& key) const {
  const OwedCopy& o = owedCopy_;
  if (o.state == OwedCopy::None) return false;
  const Rect to{c.x, c.y, c.cx, c.cy}, from{c.x1, c.y1, c.cx, c.cy};
  return (key.dst == o.key.dst && Meet(to, o.dst)) || (key.src == o.key.dst && Meet(from, o.dst)) ||
         (key.dst == o.key.src && Meet(to, o.src));
}

// Does the owed copy, and its OR if that came.
void LeaveOut::SettleCopy() {
  if (owedCopy_.state == OwedCopy::None) return;
  const OwedCopy o = owedCopy_;
  owedCopy_.state = OwedCopy::None;
  Run(o.call);
  if (o.state == OwedCopy::CopyAndOr) Run(o.orCall);
}

// Does the owed OR (it touches nothing the owed copy does).
void LeaveOut::SettleOr() {
  if (!owedOr_.active) return;
  const Call call = owedOr_.call;
  owedOr_.active = false;
  Run(call);
}

void LeaveOut::Settle() {
  SettleCopy();
  SettleOr();
  last_.valid = false;
  chain_.state = Chain::None;
}

void LeaveOut::SetEnabled(bool enabled) {
  Settle();
  enabled_ = enabled;
}

bool LeaveOut::Transfer(const Call& c) {
  Resolved r;
  if (!side_.Resolve(c, &r)) return false;
  if (!Remembered(c, r)) {
    Settle();
    // What was done may have been the last use of a DC's pixels it had.
    if (!side_.Resolve(c, &r)) return false;
    return Execute(c, r);
  }
  const Key key = KeyOf(c, r);
  // Only right after a copy, done or owed: nothing else is owed then.
  if (CopiesBack(c, r, key)) return SkipCopy(r, last_.dst);

  bool settled = false;
  if (owedOr_.active) {
    if (owedOr_.andOp.Met(key, r) && !TouchesOwedCopy(c, key)) {
      // The pair again, on pixels it left: neither changes anything.
      owedOr_.active = false;
      return Skip(2);
    }
    SettleOr();
    settled = true;
  }
  OwedCopy& o = owedCopy_;
  if (o.state == OwedCopy::CopyAndOr) {
    if (o.andOp.Met(key, r)) {
      // The chain again, ending on the pixels it left: none of it changes anything.
      o.state = OwedCopy::None;
      return Skip(3);
    }
    SettleCopy();
    settled = true;
  } else if (o.state == OwedCopy::Copy) {
    if (c.rop == SRCPAINT && r.bitmaps && o.orOp.Met(key, r)) {
      o.state = OwedCopy::CopyAndOr;
      o.orCall = c;
      last_.valid = false;
      return true;
    }
    if (TouchesOwedCopy(c, key) || (c.rop == SRCCOPY && r.bitmaps)) {
      // One copy is owed at a time.
      SettleCopy();
      settled = true;
    }
  }
  // What was done may have written what this one reads or writes.
  if (settled && !side_.Resolve(c, &r)) return false;

  if (const Entry* e = memo_.Find(key)) {
    if (r.dst.stamps->Unchanged(e->dst, e->seq) && r.src.stamps->Unchanged(e->src, e->seq))
      return SkipCopy(r, e->dst);
    const std::uint64_t pairSeq = e->next.seq;
    if (e->paired && r.bitmaps && r.dst.stamps->Unchanged(e->dst, pairSeq) &&
        r.src.stamps->Unchanged(e->src, pairSeq)) {
      if (c.rop == SRCPAINT) {
        owedOr_ = OwedOr{true, c, e->next};
        last_.valid = false;
        return true;
      }
      if (c.rop == SRCCOPY) {
        owedCopy_ = OwedCopy{OwedCopy::Copy, c, Call{}, key, e->dst, e->src, e->next, e->after};
        // So that saving it straight back is known.
        if (chain_.state == Chain::Copied) chain_.state = Chain::None;
        last_ = Last{true, key, e->dst};
        return true;
      }
    }
  }
  return Execute(c, r);
}

}  // namespace portable::gdi
