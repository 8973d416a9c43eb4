#pragma once
// Member labels to member ids, compared without regard to case as the server does: each
// UTF-16 unit is compared by its simple case folding. An open-addressing table without a
// folded copy of each label, because it is built for a million labels at a time.

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace tarsel::local {

class LabelIndex {
  public:
    // Gives the label of an id already inserted.
    using LabelOf = std::function<const QString&(int32_t id)>;

    // An index that keeps a copy of each label.
    explicit LabelIndex(size_t expected = 0);
    // An index of labels kept elsewhere, a slot per label and nothing more: labelOf must
    // answer for every id inserted while the index is used, and insert must be given
    // each label under the id labelOf knows it by.
    LabelIndex(LabelOf labelOf, size_t expected);

    // Adds the label for id; when an equal label is there already, keeps it and gives its
    // id instead (-1 when added).
    int32_t Insert(const QString& label, int32_t id);
    // -1 when absent.
    int32_t Find(QStringView label) const;
    int32_t Find(const QString& label) const { return Find(QStringView(label)); }
    bool Contains(QStringView label) const { return Find(label) >= 0; }
    bool Contains(const QString& label) const { return Find(QStringView(label)) >= 0; }
    // Room for count labels without growing.
    void Reserve(size_t count);
    size_t size() const { return count_; }

  private:
    struct Slot {
        int32_t entry = -1;  // index into entries_; the id itself when labelOf_ is set
        uint32_t hash = 0;
    };
    struct Entry {
        QString label;
        int32_t id;
    };
    static uint32_t Hash(QStringView label);
    static bool Equal(QStringView a, QStringView b);
    void Grow();
    // Into size slots, a power of two.
    void Rehash(size_t size);
    // The id of the label in slot when it equals label; -1 otherwise.
    int32_t Match(const Slot& slot, uint32_t hash, QStringView label) const;

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
    LabelOf labelOf_;
    size_t count_ = 0;
};

}  // namespace tarsel::local
