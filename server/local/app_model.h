#pragma once
// The metadata of one application as plain values: what the .app reader produces, what
// the store creates an application from, and what the store reads back for writing.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
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

// A member's descriptions, one per language, held as one text in which each description
// follows its length: a list per member and a string per description cost more than the
// texts of a million members. Read and compared as the list of texts it holds.
class Descriptions {
  public:
    Descriptions() = default;
    Descriptions(const QStringList& texts) {  // NOLINT: stands in for the list
        qsizetype length = 0;
        for (const QString& text : texts) {
            length += 2 + text.size();
        }
        packed_.reserve(length);  // exactly: spare room would be kept per member
        for (const QString& text : texts) {
            Append(text);
        }
    }
    Descriptions(std::initializer_list<QString> texts) : Descriptions(QStringList(texts)) {}

    qsizetype size() const {
        qsizetype n = 0;
        for (qsizetype at = 0; at < packed_.size(); at = Next(at)) {
            ++n;
        }
        return n;
    }
    bool isEmpty() const { return packed_.isEmpty(); }
    // Empty past the end.
    QString value(qsizetype i) const {
        qsizetype at = 0;
        for (; i > 0 && at < packed_.size(); --i) {
            at = Next(at);
        }
        return at < packed_.size() ? packed_.mid(at + 2, Length(at)) : QString();
    }
    QString operator[](qsizetype i) const { return value(i); }
    QStringList List() const {
        QStringList texts;
        for (qsizetype at = 0; at < packed_.size(); at = Next(at)) {
            texts.append(packed_.mid(at + 2, Length(at)));
        }
        return texts;
    }
    // Sets description i, adding empty ones before it as needed.
    void Set(qsizetype i, const QString& text) {
        QStringList texts = List();
        while (texts.size() <= i) {
            texts.append(QString());
        }
        texts[i] = text;
        *this = Descriptions(texts);
    }
    // Adds empty descriptions up to n.
    void Extend(qsizetype n) {
        if (size() < n) {
            Set(n - 1, value(n - 1));
        }
    }

    friend bool operator==(const Descriptions& a, const Descriptions& b) {
        return a.packed_ == b.packed_;
    }

  private:
    void Append(const QString& text) {
        const auto length = static_cast<uint32_t>(text.size());
        packed_.append(QChar(static_cast<char16_t>(length >> 16)));
        packed_.append(QChar(static_cast<char16_t>(length & 0xFFFF)));
        packed_.append(text);
    }
    qsizetype Length(qsizetype at) const {
        return static_cast<qsizetype>((uint32_t{packed_[at].unicode()} << 16) |
                                      packed_[at + 1].unicode());
    }
    qsizetype Next(qsizetype at) const { return at + 2 + Length(at); }

    QString packed_;
};

struct MemberModel {
    QString label;
    // One per application language, in the order of AppModel::languages; missing or empty
    // entries mean "no description in that language".
    Descriptions descriptions;
    QString securityClass;       // empty: none
    SparseTexts<3> userDefined;  // UD1..UD3

    // Flags that feed the computed system lists.
    bool isSystem = false;        // [System]
    bool isCurrency = false;      // [Currencies] (Custom1 currency members)
    bool isConsolMethod = false;  // [ConsolMethods]

    // Account attributes
    int accountType = account_type::Balance;
    bool isCalculated = false;
    bool isConsolidated = true;
    bool usesLineItems = false;
    int icpType = icp_type::No;
    int decimalPlaces = 0;
    SparseTexts<4> topCustom;  // labels in Custom1..Custom4; empty: none
    std::array<bool, 4> customAggregationEnabled{true, true, true, true};

    // Entity attributes
    QString defaultCurrency;  // a Value member label; empty: none
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
