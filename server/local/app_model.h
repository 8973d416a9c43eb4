#pragma once
// The metadata of one application as plain values: what the .app reader produces, what
// the store creates an application from, and what the store reads back for writing.

#include <QByteArray>
#include <QExplicitlySharedDataPointer>
#include <QSharedData>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "server/tarsel.h"

namespace tarsel::local {

// N texts that are mostly all empty, as a member's user-defined texts and top custom
// members are: one pointer until one of them is set, instead of N strings per member.
template <size_t N>
class SparseTexts {
  public:
    using Array = std::array<QString, N>;

    SparseTexts() = default;
    SparseTexts(const SparseTexts& other)
        : texts_(other.texts_ ? std::make_unique<Array>(*other.texts_) : nullptr) {}
    SparseTexts(SparseTexts&&) noexcept = default;
    SparseTexts& operator=(const SparseTexts& other) {
        if (this != &other) {
            texts_ = other.texts_ ? std::make_unique<Array>(*other.texts_) : nullptr;
        }
        return *this;
    }
    SparseTexts& operator=(SparseTexts&&) noexcept = default;
    SparseTexts& operator=(const Array& texts) {
        const bool none =
            std::all_of(texts.begin(), texts.end(), [](const QString& t) { return t.isEmpty(); });
        texts_ = none ? nullptr : std::make_unique<Array>(texts);
        return *this;
    }

    const QString& operator[](size_t i) const { return All()[i]; }
    // Makes room for all N on first use.
    QString& operator[](size_t i) {
        if (!texts_) {
            texts_ = std::make_unique<Array>();
        }
        return (*texts_)[i];
    }
    const Array& All() const { return texts_ ? *texts_ : Empty(); }
    auto begin() const { return All().begin(); }
    auto end() const { return All().end(); }

    friend bool operator==(const SparseTexts& a, const SparseTexts& b) {
        return a.All() == b.All();
    }
    friend bool operator==(const SparseTexts& a, const Array& b) { return a.All() == b; }

  private:
    static const Array& Empty() {
        static const Array empty;
        return empty;
    }
    std::unique_ptr<Array> texts_;
};

// A member's descriptions, one per language, held in one block in which each description
// follows its length (one unit below 0x8000, else two): a list per member and a string per
// description cost more than the texts of a million members. Read and compared as the list
// of texts it holds.
class Descriptions {
  public:
    Descriptions() = default;
    Descriptions(const QStringList& texts) {  // NOLINT: stands in for the list
        qsizetype length = 0;
        for (const QString& text : texts) {
            length += LengthUnits(text.size()) + text.size();
        }
        if (length == 0) {
            return;
        }
        // Exactly: spare room would be kept per member.
        packed_ = std::make_unique_for_overwrite<char16_t[]>(static_cast<size_t>(length));
        for (const QString& text : texts) {
            Append(text);
        }
    }
    Descriptions(std::initializer_list<QString> texts) : Descriptions(QStringList(texts)) {}
    Descriptions(const Descriptions& other) : size_(other.size_) {
        if (size_ > 0) {
            packed_ = std::make_unique_for_overwrite<char16_t[]>(size_);
            std::copy_n(other.packed_.get(), size_, packed_.get());
        }
    }
    Descriptions(Descriptions&& other) noexcept
        : packed_(std::move(other.packed_)), size_(std::exchange(other.size_, 0)) {}
    Descriptions& operator=(const Descriptions& other) {
        if (this != &other) {
            *this = Descriptions(other);
        }
        return *this;
    }
    Descriptions& operator=(Descriptions&& other) noexcept {
        packed_ = std::move(other.packed_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    qsizetype size() const {
        qsizetype n = 0;
        for (uint32_t at = 0; at < size_; at = Next(at)) {
            ++n;
        }
        return n;
    }
    bool isEmpty() const { return size_ == 0; }
    // Empty past the end.
    QString value(qsizetype i) const {
        uint32_t at = 0;
        for (; i > 0 && at < size_; --i) {
            at = Next(at);
        }
        return at < size_ ? Text(at) : QString();
    }
    QString operator[](qsizetype i) const { return value(i); }
    QStringList List() const {
        QStringList texts;
        for (uint32_t at = 0; at < size_; at = Next(at)) {
            texts.append(Text(at));
        }
        return texts;
    }
    // The descriptions one after another, separator between them, in one text.
    QString Joined(QChar separator) const {
        QString joined;
        joined.reserve(static_cast<qsizetype>(size_));
        for (uint32_t at = 0; at < size_; at = Next(at)) {
            const auto [text, length] = Entry(at);
            if (at > 0) {
                joined.append(separator);
            }
            joined.append(reinterpret_cast<const QChar*>(packed_.get() + text),
                          static_cast<qsizetype>(length));
        }
        return joined;
    }
    // Whether any of the descriptions holds the character.
    bool Holds(QChar c) const {
        for (uint32_t at = 0; at < size_; at = Next(at)) {
            const auto [text, length] = Entry(at);
            const char16_t* begin = packed_.get() + text;
            if (std::find(begin, begin + length, c.unicode()) != begin + length) {
                return true;
            }
        }
        return false;
    }
    // Sets description i, adding empty ones before it as needed.
    void Set(qsizetype i, const QString& text) {
        uint32_t at = 0;  // where description i begins, or the end
        for (; i > 0 && at < size_; --i) {
            at = Next(at);
        }
        const auto empties = static_cast<uint32_t>(i);  // missing before description i
        const uint32_t after = at < size_ ? Next(at) : size_;
        Descriptions set;
        set.size_ = at + empties + static_cast<uint32_t>(LengthUnits(text.size()) + text.size()) +
                    (size_ - after);
        set.packed_ = std::make_unique_for_overwrite<char16_t[]>(set.size_);
        std::copy_n(packed_.get(), at, set.packed_.get());
        std::fill_n(set.packed_.get() + at, empties, char16_t{0});
        set.size_ = at + empties;
        set.Append(text);
        std::copy(packed_.get() + after, packed_.get() + size_, set.packed_.get() + set.size_);
        set.size_ += size_ - after;
        *this = std::move(set);
    }
    // Adds empty descriptions up to n.
    void Extend(qsizetype n) {
        if (size() < n) {
            Set(n - 1, QString());
        }
    }

    friend bool operator==(const Descriptions& a, const Descriptions& b) {
        return a.size_ == b.size_ &&
               std::equal(a.packed_.get(), a.packed_.get() + a.size_, b.packed_.get());
    }

  private:
    static qsizetype LengthUnits(qsizetype length) { return length < 0x8000 ? 1 : 2; }
    void Append(const QString& text) {
        const auto length = static_cast<uint32_t>(text.size());
        if (length < 0x8000) {
            packed_[size_++] = static_cast<char16_t>(length);
        } else {
            packed_[size_++] = static_cast<char16_t>(0x8000 | (length >> 16));
            packed_[size_++] = static_cast<char16_t>(length & 0xFFFF);
        }
        std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), length, packed_.get() + size_);
        size_ += length;
    }
    // Where the text of the description at at begins, and its length.
    std::pair<uint32_t, uint32_t> Entry(uint32_t at) const {
        const uint32_t first = packed_[at];
        if (first < 0x8000) {
            return {at + 1, first};
        }
        return {at + 2, ((first & 0x7FFF) << 16) | packed_[at + 1]};
    }
    QString Text(uint32_t at) const {
        const auto [text, length] = Entry(at);
        return QString(reinterpret_cast<const QChar*>(packed_.get() + text),
                       static_cast<qsizetype>(length));
    }
    uint32_t Next(uint32_t at) const {
        const auto [text, length] = Entry(at);
        return text + length;
    }

    std::unique_ptr<char16_t[]> packed_;
    uint32_t size_ = 0;  // units used in packed_
};

// A text that recurs on many members, as a security class or a currency does: one
// pointer, and copies (and equal texts the reader meets close together) share one text.
class SharedText {
  public:
    SharedText() = default;
    SharedText(const QString& text) {  // NOLINT: stands in for the text
        if (!text.isEmpty()) {
            node_ = new Node(text);  // owned by node_ from here on
        }
    }
    SharedText(const char* text) : SharedText(QString::fromUtf8(text)) {}  // NOLINT
    SharedText(QLatin1String text) : SharedText(QString(text)) {}          // NOLINT

    // The text, sharing the copy of an equal one among the last few given here: the
    // names members refer to recur (a few currencies across a million entities).
    static SharedText Recent(QStringView text) {
        thread_local std::array<SharedText, 8> recent;
        thread_local size_t next = 0;
        for (const SharedText& known : recent) {
            if (known.Text() == text) {
                return known;
            }
        }
        SharedText shared(text.toString());
        recent[next++ % recent.size()] = shared;
        return shared;
    }

    const QString& Text() const { return node_ ? node_->text : Empty(); }
    // Whether both hold the very same text: the cheap test for a copy that would change
    // nothing (copying counts references, which is dear in a loop over a million members).
    bool Shares(const SharedText& other) const { return node_ == other.node_; }
    operator const QString&() const { return Text(); }  // NOLINT: reads as the text
    bool isEmpty() const { return !node_; }

    friend bool operator==(const SharedText& a, const SharedText& b) {
        return a.node_ == b.node_ || a.Text() == b.Text();
    }
    friend bool operator==(const SharedText& a, const QString& b) { return a.Text() == b; }
    friend bool operator==(const SharedText& a, const char* b) {
        return a.Text() == QString::fromUtf8(b);
    }

  private:
    struct Node : QSharedData {
        explicit Node(const QString& t) : text(t) {}
        QString text;
    };
    static const QString& Empty() {
        static const QString empty;
        return empty;
    }
    QExplicitlySharedDataPointer<Node> node_;
};

struct MemberModel {
    QString label;
    // One per application language, in the order of AppModel::languages; missing or empty
    // entries mean "no description in that language".
    Descriptions descriptions;
    SharedText securityClass;    // empty: none
    SparseTexts<3> userDefined;  // UD1..UD3
    SparseTexts<4> topCustom;    // Account: labels in Custom1..Custom4; empty: none
    SharedText defaultCurrency;  // Entity: a Value member label; empty: none

    // Account attributes: codes of a few values, a byte each as they are held per member.
    int8_t accountType = account_type::Balance;
    int8_t icpType = icp_type::No;
    int8_t decimalPlaces = 0;

    // Flags that feed the computed system lists.
    bool isSystem = false;        // [System]
    bool isCurrency = false;      // [Currencies] (Custom1 currency members)
    bool isConsolMethod = false;  // [ConsolMethods]

    // Account attributes
    bool isCalculated = false;
    bool isConsolidated = true;
    bool usesLineItems = false;
    std::array<bool, 4> customAggregationEnabled{true, true, true, true};

    // Entity attributes
    bool allowAdjs = false;
    bool allowAdjsFromChildren = false;
    bool isIcp = false;
};

// One occurrence of a member in the hierarchy. parent empty: a top member. The order of
// relations is the order of top members and of each parent's children.
struct RelationModel {
    QString parent;
    QString child;
};

struct MemberListEntry {
    QString member;
    QString parent;  // entity lists: the parent of this occurrence; empty otherwise / top
};

struct MemberListModel {
    QString name;
    std::vector<MemberListEntry> entries;
};

struct DimensionModel {
    std::vector<MemberModel> members;  // in the order they were defined
    std::vector<RelationModel> hierarchy;
    std::vector<MemberListModel> memberLists;  // user lists, in the order defined
};

struct AppModel {
    QString name;
    QStringList languages;        // language labels; index = language index
    QStringList securityClasses;  // names, in order
    std::array<DimensionModel, kDimensionCount> dimensions;  // indexed by Dimension
    std::optional<QByteArray> memberListFile;                // the stored file's bytes

    DimensionModel& dim(Dimension d) { return dimensions[static_cast<size_t>(d)]; }
    const DimensionModel& dim(Dimension d) const { return dimensions[static_cast<size_t>(d)]; }
};

// The metadata of an application read a section at a time, for writers that stream a
// large application instead of holding its model.
class MetadataSource {
  public:
    // Texts handed to a callback are valid during the call only.
    // member: the attributes of the member; its label is the one given, not member.label.
    using MemberFn = std::function<void(QStringView label, const MemberModel& member)>;
    // language: the index in Languages(); an empty text is no description.
    using DescriptionFn =
        std::function<void(QStringView label, qsizetype language, QStringView text)>;
    using RelationFn = std::function<void(QStringView parent, QStringView child)>;
    using ListFn = std::function<void(const MemberListModel& list)>;

    virtual ~MetadataSource() = default;
    virtual QStringList Languages() = 0;
    virtual QStringList SecurityClasses() = 0;
    // The members of the dimension in the order they are written, descriptions left out.
    virtual void Members(Dimension dimension, const MemberFn& each) = 0;
    // The descriptions of the members in member order, each member's in language order.
    virtual void Descriptions(Dimension dimension, const DescriptionFn& each) = 0;
    // In hierarchy order.
    virtual void Relations(Dimension dimension, const RelationFn& each) = 0;
    // The user lists in the order defined.
    virtual void MemberLists(Dimension dimension, const ListFn& each) = 0;
    virtual std::optional<QByteArray> MemberListFile() = 0;
};

}  // namespace tarsel::local
