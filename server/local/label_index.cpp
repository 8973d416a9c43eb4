#include "server/local/label_index.h"

#include <bit>

#include "server/local/huge_pages.h"

namespace tarsel::local {

namespace {
inline char16_t Fold(char16_t unit) {
    if (unit < 0x80) {
        return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 32) : unit;
    }
    return QChar(unit).toCaseFolded().unicode();
}
}  // namespace

namespace {

// count empty slots, in huge pages when there are many.
template <typename Slot>
std::vector<Slot> EmptySlots(size_t count) {
    std::vector<Slot> empty;
    ReserveLarge(empty, count);
    empty.resize(count);
    return empty;
}

}  // namespace

LabelIndex::LabelIndex(size_t expected) {
    slots_ = EmptySlots<Slot>(std::bit_ceil(std::max<size_t>(16, expected * 2)));
    entries_.reserve(expected);
}

LabelIndex::LabelIndex(LabelOf labelOf, size_t expected) : labelOf_(std::move(labelOf)) {
    slots_ = EmptySlots<Slot>(std::bit_ceil(std::max<size_t>(16, expected * 2)));
}

int32_t LabelIndex::Match(const Slot& slot, uint32_t hash, QStringView label) const {
    if (slot.hash != hash) {
        return -1;
    }
    if (labelOf_) {
        return Equal(labelOf_(slot.entry), label) ? slot.entry : -1;
    }
    const Entry& entry = entries_[static_cast<size_t>(slot.entry)];
    return Equal(entry.label, label) ? entry.id : -1;
}

uint32_t LabelIndex::Hash(QStringView label) {
    uint64_t h = 1469598103934665603ull;
    for (const QChar c : label) {
        h ^= Fold(c.unicode());
        h *= 1099511628211ull;
    }
    // Not fully mixed on purpose: labels that differ in their last characters (E0000001,
    // E0000002...) land in nearby slots, which keeps a million insertions in cache.
    return static_cast<uint32_t>(h ^ (h >> 29));
}

bool LabelIndex::Equal(QStringView a, QStringView b) {
    if (a.size() != b.size()) {
        return false;
    }
    const QChar* x = a.data();
    const QChar* y = b.data();
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (x[i] != y[i] && Fold(x[i].unicode()) != Fold(y[i].unicode())) {
            return false;
        }
    }
    return true;
}

void LabelIndex::Reserve(size_t count) {
    if (!labelOf_) {
        entries_.reserve(count);
    }
    if (slots_.size() < count * 2) {
        Rehash(std::bit_ceil(count * 2));
    }
}

void LabelIndex::Grow() {
    Rehash(slots_.size() * 2);
}

void LabelIndex::Rehash(size_t size) {
    std::vector<Slot> bigger = EmptySlots<Slot>(size);
    const size_t mask = bigger.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.entry < 0) {
            continue;
        }
        size_t i = slot.hash & mask;
        while (bigger[i].entry >= 0) {
            i = (i + 1) & mask;
        }
        bigger[i] = slot;
    }
    slots_.swap(bigger);
}

int32_t LabelIndex::Insert(const QString& label, int32_t id) {
    if ((count_ + 1) * 2 > slots_.size()) {
        Grow();
    }
    const uint32_t hash = Hash(label);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.entry < 0) {
            slot.hash = hash;
            if (labelOf_) {
                slot.entry = id;
            } else {
                slot.entry = static_cast<int32_t>(entries_.size());
                entries_.push_back({label, id});
            }
            ++count_;
            return -1;
        }
        const int32_t found = Match(slot, hash, label);
        if (found >= 0) {
            return found;
        }
    }
}

int32_t LabelIndex::Find(QStringView label) const {
    const uint32_t hash = Hash(label);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry < 0) {
            return -1;
        }
        const int32_t found = Match(slot, hash, label);
        if (found >= 0) {
            return found;
        }
    }
}

}  // namespace tarsel::local
