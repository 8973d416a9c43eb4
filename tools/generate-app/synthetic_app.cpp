#include "tools/generate-app/synthetic_app.h"

#include <QString>
#include <QStringList>
#include <array>

#include "server/local/app_model.h"
#include "server/local/format/app_text.h"

namespace tarsel::tools {

namespace {

using local::MemberModel;
using local::format::DescriptionLine;
using local::format::MemberLine;
using local::format::RelationLine;
using local::format::SectionHeader;

constexpr qsizetype kChunk = 1 << 20;

// splitmix64: the same numbers on every platform and library.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int64_t Below(int64_t n) { return static_cast<int64_t>(Next() % static_cast<uint64_t>(n)); }
    bool Chance(double percent) {
        return static_cast<double>(Next() >> 11) * 0x1.0p-53 * 100.0 < percent;
    }

  private:
    uint64_t state_;
};

class Buffered {
  public:
    explicit Buffered(const Sink& sink) : sink_(sink) {}
    ~Buffered() { Flush(); }
    Buffered(const Buffered&) = delete;
    Buffered& operator=(const Buffered&) = delete;

    void Line(const QString& line) { Raw(line.toUtf8()); }
    void Raw(const QByteArray& line) {
        buffer_.append(line);
        buffer_.append("\r\n");
        if (buffer_.size() >= kChunk) {
            Flush();
        }
    }
    void Flush() {
        if (!buffer_.isEmpty()) {
            sink_(buffer_);
            buffer_.clear();
        }
    }

  private:
    const Sink& sink_;
    QByteArray buffer_;
};

const std::array<const char*, 4> kCurrencies = {"EUR", "USD", "GBP", "JPY"};

// The Entity hierarchy as a complete tree in breadth-first numbering: member i (from 0)
// hangs below (i - 1) / branching, so each parent's children are consecutive and the
// tree has at most `depth` generations.
class EntityTree {
  public:
    explicit EntityTree(const SyntheticOptions& o) : count_(std::max<int64_t>(o.entities, 1)) {
        const int depth = std::max(o.depth, 1);
        if (depth == 1) {
            branching_ = 0;  // every entity a top member
            return;
        }
        for (branching_ = 1;; ++branching_) {
            int64_t total = 0, level = 1;
            for (int g = 0; g < depth && total < count_; ++g) {
                total += level;
                level *= branching_;
            }
            if (total >= count_) {
                break;
            }
        }
        int64_t start = 0, level = 1;
        while (start < count_) {
            levelStart_.push_back(start);
            start += level;
            level *= branching_;
        }
        levelStart_.push_back(count_);
    }

    int64_t Count() const { return count_; }
    int64_t Parent(int64_t i) const {
        return branching_ == 0 || i == 0 ? -1 : (i - 1) / branching_;
    }
    bool IsBase(int64_t i) const { return branching_ == 0 || i * branching_ + 1 >= count_; }
    static QString Label(int64_t i) { return QStringLiteral("E%1").arg(i, 7, 10, QChar(u'0')); }

    // Calls f(parent, child) for the second parent of each shared base member, in order.
    template <typename F>
    void ForEachShared(const SyntheticOptions& o, F f) const {
        if (branching_ == 0 || o.sharedPercent <= 0) {
            return;
        }
        Random random(o.seed ^ 0x5348415245440000ull);
        for (int64_t i = 1; i < count_; ++i) {
            if (!IsBase(i) || !random.Chance(o.sharedPercent)) {
                continue;
            }
            const int64_t parent = Parent(i);
            const auto level = static_cast<size_t>(
                std::upper_bound(levelStart_.begin(), levelStart_.end(), parent) -
                levelStart_.begin() - 1);
            const int64_t first = levelStart_[level];
            const int64_t width = levelStart_[level + 1] - first;
            if (width < 2) {
                continue;
            }
            // A member of the parent's generation other than the parent: never an
            // ancestor of i, so no cycle.
            int64_t other = first + random.Below(width - 1);
            if (other >= parent) {
                ++other;
            }
            f(other, i);
        }
    }

  private:
    int64_t count_;
    int64_t branching_ = 0;
    std::vector<int64_t> levelStart_;
};

void SmallDimension(Buffered& out, Dimension d, const QStringList& labels,
                    const QStringList& languages, bool flat, bool system = false) {
    out.Line(SectionHeader("MEMBERS", d));
    for (const QString& label : labels) {
        MemberModel m;
        m.label = label;
        m.isCurrency = d == Dimension::Value && label.size() == 3;
        m.isSystem = system && label.startsWith(u'[');
        out.Line(MemberLine(d, m));
    }
    out.Line(SectionHeader("DESCRIPTIONS", d));
    for (const QString& label : labels) {
        for (const QString& language : languages) {
            out.Line(DescriptionLine(label, language, label + u' ' + language.left(2)));
        }
    }
    out.Line(SectionHeader("HIERARCHIES", d));
    for (qsizetype i = 0; i < labels.size(); ++i) {
        out.Line(RelationLine(flat || i == 0 ? QString() : labels[0], labels[i]));
    }
}

}  // namespace

void WriteSyntheticApp(const SyntheticOptions& o, const Sink& sink) {
    Buffered out(sink);
    Random random(o.seed);
    const QStringList languages =
        o.languages >= 2 ? QStringList{"English", "French"} : QStringList{"English"};
    out.Raw("' Synthetic application written by generate-app.");
    out.Raw("!FILE_FORMAT=1");
    out.Raw("!LANGUAGES");
    for (const QString& language : languages) {
        out.Line(language);
    }
    out.Raw("!SECURITY_CLASSES");
    out.Raw("Group");
    out.Raw("Region");

    SmallDimension(out, Dimension::Scenario, {"Actual", "Budget"}, languages, true);
    SmallDimension(out, Dimension::Year, {"2025", "2026"}, languages, true);
    QStringList periods{"Year"};
    for (int m = 1; m <= 12; ++m) {
        periods << QStringLiteral("%1").arg(m, 2, 10, QChar(u'0'));
    }
    SmallDimension(out, Dimension::Period, periods, languages, false);
    SmallDimension(out, Dimension::View, {"YTD", "Periodic"}, languages, true);

    const EntityTree tree(o);
    out.Line(SectionHeader("MEMBERS", Dimension::Entity));
    for (int64_t i = 0; i < tree.Count(); ++i) {
        MemberModel m;
        m.label = EntityTree::Label(i);
        m.defaultCurrency = QLatin1String(kCurrencies[static_cast<size_t>(random.Below(4))]);
        m.allowAdjs = !tree.IsBase(i);
        m.isIcp = tree.IsBase(i) && random.Chance(10);
        if (random.Chance(5)) {
            m.securityClass = QStringLiteral("Region");
        }
        out.Line(MemberLine(Dimension::Entity, m));
    }
    out.Line(SectionHeader("DESCRIPTIONS", Dimension::Entity));
    for (int64_t i = 0; i < tree.Count(); ++i) {
        const QString label = EntityTree::Label(i);
        out.Line(DescriptionLine(label, languages[0], QStringLiteral("Entity %1").arg(i)));
        if (languages.size() > 1) {
            out.Line(DescriptionLine(label, languages[1], QStringLiteral("Entité %1").arg(i)));
        }
    }
    out.Line(SectionHeader("HIERARCHIES", Dimension::Entity));
    for (int64_t i = 0; i < tree.Count(); ++i) {
        const int64_t parent = tree.Parent(i);
        out.Line(
            RelationLine(parent < 0 ? QString() : EntityTree::Label(parent), EntityTree::Label(i)));
    }
    tree.ForEachShared(o, [&](int64_t parent, int64_t child) {
        out.Line(RelationLine(EntityTree::Label(parent), EntityTree::Label(child)));
    });

    QStringList values{"[None]", "<Entity Currency>"};
    for (const char* c : kCurrencies) {
        values << QLatin1String(c);
    }
    SmallDimension(out, Dimension::Value, values, languages, true, true);

    out.Line(SectionHeader("MEMBERS", Dimension::Account));
    const int64_t accounts = std::max<int64_t>(o.accounts, 1);
    for (int64_t i = 0; i < accounts; ++i) {
        MemberModel m;
        m.label = i == 0 ? QStringLiteral("AllAccounts")
                         : QStringLiteral("A%1").arg(i, 6, 10, QChar(u'0'));
        m.accountType = i == 0 ? account_type::GroupLabel : static_cast<int>(random.Below(13));
        m.isCalculated = i == 0;
        m.decimalPlaces = static_cast<int>(random.Below(3));
        out.Line(MemberLine(Dimension::Account, m));
    }
    out.Line(SectionHeader("HIERARCHIES", Dimension::Account));
    out.Line(RelationLine(QString(), QStringLiteral("AllAccounts")));
    for (int64_t i = 1; i < accounts; ++i) {
        out.Line(RelationLine(QStringLiteral("AllAccounts"),
                              QStringLiteral("A%1").arg(i, 6, 10, QChar(u'0'))));
    }

    SmallDimension(out, Dimension::ICP, {"[ICP Top]", "[ICP None]"}, languages, true, true);
    const int64_t children = std::max<int64_t>(o.customs, 2) - 2;
    for (int c = 1; c <= 4; ++c) {
        QStringList labels{QStringLiteral("TotC%1").arg(c)};
        for (int64_t i = 0; i < children; ++i) {
            labels << (i < 2 ? QStringLiteral("C%1_%2").arg(c).arg(
                                   QChar(static_cast<char16_t>(u'A' + i)))
                             : QStringLiteral("C%1_%2").arg(c).arg(i, 6, 10, QChar(u'0')));
        }
        labels << QStringLiteral("[None]");
        SmallDimension(out, static_cast<Dimension>(static_cast<int>(Dimension::Custom1) + c - 1),
                       labels, languages, false, true);
    }
}

void WriteSyntheticEntityCsv(const SyntheticOptions& o, const Sink& memberSink,
                             const Sink& relationSink) {
    const EntityTree tree(o);
    {
        Buffered members(memberSink);
        for (int64_t i = 0; i < tree.Count(); ++i) {
            members.Line(EntityTree::Label(i) + QStringLiteral(",Entity %1").arg(i));
        }
    }
    Buffered relations(relationSink);
    int64_t position = 0;
    for (int64_t i = 0; i < tree.Count(); ++i) {
        const int64_t parent = tree.Parent(i);
        relations.Line(
            QStringLiteral("%1,%2,%3")
                .arg(parent < 0 ? QString() : EntityTree::Label(parent), EntityTree::Label(i))
                .arg(position++));
    }
    tree.ForEachShared(o, [&](int64_t parent, int64_t child) {
        relations.Line(QStringLiteral("%1,%2,%3")
                           .arg(EntityTree::Label(parent), EntityTree::Label(child))
                           .arg(position++));
    });
}

}  // namespace tarsel::tools
