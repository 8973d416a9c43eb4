#include "server/local/format/app_records.h"

#include <algorithm>
#include <cstdint>

#include "server/local/format/app_attributes.h"
#include "server/local/huge_pages.h"
#include "server/local/label_index.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

// A reference from a member to something not defined above it, checked at the end.
struct PendingReference {  // 12 bytes: a file may hold one per member
    int32_t member;
    int32_t line;
    uint8_t dimension;
    uint8_t attribute;  // position in AppAttributes()
};

struct DimensionState {
    LabelIndex index;  // label -> member position, over the members' labels
    std::vector<int> relationLines;
    std::vector<std::pair<int32_t, int32_t>> relationIds;  // (parent or -1, child) per relation
    LabelIndex lists;                                      // list name -> position
    // The members the last description and relation lines named: where the next line's
    // members are looked for first.
    int lastDescribed = -1;
    int lastParent = -1;
    int lastChild = -1;
};

}  // namespace

class AppRecords::Impl {
  public:
    Impl(FileFaults& faults, AppSyntax syntax) : faults_(faults), syntax_(syntax) {
        // The labels are the members' own: a copy in the index would cost as much again.
        for (size_t d = 0; d < kDimensionCount; ++d) {
            const std::vector<MemberModel>& members = model_.dimensions[d].members;
            state_[d].index = LabelIndex(
                [&members](int32_t id) -> const QString& {
                    return members[static_cast<size_t>(id)].label;
                },
                0);
        }
    }

    void Begin(AppSection section, Dimension dimension, int line, size_t expected) {
        Collect([this] { FinishMemberListFile(); });
        line_ = line;
        section_ = section;
        dimension_ = dimension;
        Reserve(expected);
        if (section_ == AppSection::MemberListFile) {
            if (model_.memberListFile) {
                Fail(QStringLiteral("a second member list file"));
            }
            model_.memberListFile = QByteArray();
            base64_.clear();
            base64Lines_.clear();
        }
    }

    void Add(QStringList& fields, int line) {
        line_ = line;
        // The handlers read fields_; the caller's list is handed back, storage and all.
        fields_.swap(fields);
        struct Restore {
            QStringList& a;
            QStringList& b;
            ~Restore() { a.swap(b); }
        } restore{fields_, fields};
        switch (section_) {
            case AppSection::None:
            case AppSection::MemberListFile:
                Fail(QStringLiteral("a record outside any section"));
            case AppSection::Languages:
                AddName(model_.languages, languageKeys_, QStringLiteral("language"));
                return;
            case AppSection::SecurityClasses:
                AddName(model_.securityClasses, classKeys_, QStringLiteral("security class"));
                return;
            case AppSection::Members:
                AddMember();
                return;
            case AppSection::Descriptions:
                AddDescription();
                return;
            case AppSection::Hierarchies:
                AddRelation();
                return;
            case AppSection::MemberLists:
                AddListEntry();
                return;
        }
    }

    void AddBase64(QByteArrayView text, int line) {
        base64_.append(text.toByteArray().trimmed());
        base64Lines_.push_back(line);
    }

    AppModel Finish(ModelProof* proof) {
        Collect([this] { FinishMemberListFile(); });
        CheckReferences();
        // What the checks below no longer need goes first, to make room for theirs.
        for (DimensionState& state : state_) {
            state.index = LabelIndex();
            state.lists = LabelIndex();
        }
        pending_ = {};
        ModelProof proved;
        for (int d = 0; d < kDimensionCount; ++d) {
            CheckRepeatedRelations(static_cast<Dimension>(d));
            CheckCycles(static_cast<Dimension>(d));
            auto relations = FillHierarchy(static_cast<Dimension>(d));
            if (proof) {
                proved[static_cast<size_t>(d)] = ProvenHierarchy{std::move(relations)};
            }
        }
        if (proof) {
            *proof = faults_.empty() ? std::move(proved) : ModelProof{};
        }
        return std::move(model_);
    }

    [[noreturn]] void Fail(const QString& reason) const {
        ThrowMalformed(faults_.fileName(), line_, reason);
    }

  private:
    // Runs a check that throws, recording its fault.
    template <typename Check>
    void Collect(const Check& check) {
        try {
            check();
        } catch (const LineFault& fault) {
            faults_.Add(fault);
        }
    }

    void Reserve(size_t lines) {
        if (section_ != AppSection::Members && section_ != AppSection::Hierarchies) {
            return;
        }
        DimensionModel& dim = Dim();
        if (section_ == AppSection::Members) {
            ReserveLarge(dim.members, dim.members.size() + lines);
            State().index.Reserve(dim.members.size() + lines);
        } else {
            DimensionState& state = State();
            ReserveLarge(state.relationIds, state.relationIds.size() + lines);
            ReserveLarge(state.relationLines, state.relationLines.size() + lines);
        }
    }

    void RequireFieldCount(qsizetype least, qsizetype most, const char* what) {
        const qsizetype n = fields_.size();
        if (n < least || n > most) {
            Fail(QStringLiteral("%1 fields where %2 expects %3")
                     .arg(n)
                     .arg(QLatin1String(what))
                     .arg(least == most ? QString::number(least)
                                        : QStringLiteral("%1 to %2").arg(least).arg(most)));
        }
    }

    void RequireLabel(const QString& label, const char* what) {
        if (label.isEmpty()) {
            Fail(QStringLiteral("empty %1").arg(QLatin1String(what)));
        }
    }

    void AddName(QStringList& names, LabelIndex& keys, const QString& what) {
        RequireFieldCount(1, 1, "a name line");
        const QString& name = fields_[0];
        if (name.isEmpty()) {
            Fail(QStringLiteral("empty %1 name").arg(what));
        }
        if (keys.Insert(name, static_cast<int32_t>(names.size())) >= 0) {
            Fail(QStringLiteral("%1 \"%2\" is defined twice").arg(what, name));
        }
        names.append(name);
    }

    DimensionModel& Dim() { return model_.dim(dimension_); }
    DimensionState& State() { return state_[static_cast<size_t>(dimension_)]; }
    QString DimName() const { return DimensionDisplayName(dimension_); }

    int MemberIndex(const QString& label) {
        const int position = State().index.Find(label);
        if (position < 0) {
            Fail(
                QStringLiteral("unknown member \"%1\" in dimension %2 (members are defined in "
                               "%3 before they are used)")
                    .arg(label, DimName(),
                         syntax_ == AppSyntax::Xml
                             ? QStringLiteral("<members> of <dimension name=\"%1\">").arg(DimName())
                             : QStringLiteral("!MEMBERS=") + DimName()));
        }
        return position;
    }

    // As MemberIndex, trying the guesses first. Files list descriptions in member order
    // and a parent's children one after another, so a line mostly names the member after
    // the one the line before named, and a comparison spares a lookup in the index. An
    // exact match is the member: labels are unique without regard to case.
    int MemberIndexNear(const QString& label, std::initializer_list<int> guesses) {
        const auto& members = Dim().members;
        for (const int guess : guesses) {
            if (guess >= 0 && static_cast<size_t>(guess) < members.size() &&
                members[static_cast<size_t>(guess)].label == label) {
                return guess;
            }
        }
        return MemberIndex(label);
    }

    void AddMember() {
        const QString& label = fields_[0];
        RequireLabel(label, "member label");
        DimensionState& state = State();
        DimensionModel& dim = Dim();
        const size_t memberIndex = dim.members.size();
        // Built in place: a failure below refuses the whole file, model included.
        MemberModel& member = dim.members.emplace_back();
        member.label = label;
        if (state.index.Insert(label, static_cast<int32_t>(memberIndex)) >= 0) {
            Fail(QStringLiteral("member \"%1\" is defined twice in dimension %2")
                     .arg(label, DimName()));
        }
        uint64_t seen = 0;  // a bit per row of AppAttributes()
        for (qsizetype f = 1; f < fields_.size(); ++f) {
            const QString& field = fields_[f];
            const qsizetype eq = field.indexOf(u'=');
            if (eq <= 0) {
                Fail(QStringLiteral("field %1 \"%2\" is not an attribute written Name=Value")
                         .arg(f + 1)
                         .arg(field));
            }
            // A view: the name is only compared, and a copy per attribute shows on big files.
            const QStringView name = QStringView(field).left(eq).trimmed();
            const AppAttribute* found = FindAppAttribute(name);
            if (!found || !found->AppliesTo(dimension_)) {
                Fail(QStringLiteral("unknown attribute \"%1\" for dimension %2")
                         .arg(name.toString(), DimName()));
            }
            const AppAttribute& attribute = *found;
            const uint64_t bit = uint64_t{1} << (found - AppAttributes().data());
            if (seen & bit) {
                Fail(QStringLiteral("attribute %1 is given twice").arg(attribute.Name()));
            }
            seen |= bit;
            // A view, as most values are flags and words that need no copy of their own.
            const QStringView value = QStringView(field).mid(eq + 1);
            const QString reason = attribute.read(member, value, attribute.Name());
            if (!reason.isEmpty()) {
                Fail(reason);
            }
            // Most references name something defined above; only the others wait for
            // the end, so that a million members do not queue a million checks.
            if (attribute.reference != AttributeReference::None && !value.isEmpty() &&
                !IsDefined(attribute, attribute.write(member, made_))) {
                pending_.push_back({static_cast<int32_t>(memberIndex), line_,
                                    static_cast<uint8_t>(dimension_),
                                    static_cast<uint8_t>(found - AppAttributes().data())});
            }
        }
    }

    void AddDescription() {
        RequireFieldCount(3, 3, "a description line (Label;Language;Text)");
        DimensionState& state = State();
        const int member =
            MemberIndexNear(fields_[0], {state.lastDescribed + 1, state.lastDescribed});
        state.lastDescribed = member;
        const int lang = languageKeys_.Find(fields_[1]);
        if (lang < 0) {
            Fail(QStringLiteral("description for language \"%1\", which is not in "
                                "!LANGUAGES (languages are listed before descriptions)")
                     .arg(fields_[1]));
        }
        if (fields_[2].isEmpty()) {
            return;
        }
        Descriptions& descriptions = Dim().members[static_cast<size_t>(member)].descriptions;
        if (!descriptions.value(lang).isEmpty()) {
            Fail(QStringLiteral("second description of \"%1\" in %2")
                     .arg(fields_[0], model_.languages[lang]));
        }
        descriptions.Set(lang, fields_[2]);
        descriptions.Extend(model_.languages.size());
    }

    void AddRelation() {
        RequireFieldCount(2, 2, "a hierarchy line (Parent;Child)");
        RequireLabel(fields_[1], "child label");
        DimensionState& state = State();
        const int parent = fields_[0].isEmpty()
                               ? -1
                               : MemberIndexNear(fields_[0], {state.lastParent, state.lastChild});
        const int child = MemberIndexNear(fields_[1], {state.lastChild + 1});
        state.lastParent = parent;
        state.lastChild = child;
        if (parent == child) {
            Fail(QStringLiteral("\"%1\" is its own parent").arg(fields_[1]));
        }
        state.relationLines.push_back(line_);
        state.relationIds.push_back({parent, child});
    }

    void AddListEntry() {
        RequireFieldCount(1, 3, "a member list line (List[;Member[;Parent]])");
        const QString& name = fields_[0];
        RequireLabel(name, "member list name");
        if (name.startsWith(u'[')) {
            Fail(QStringLiteral("\"%1\": names in square brackets are the system's lists")
                     .arg(name));
        }
        DimensionState& state = State();
        DimensionModel& dim = Dim();
        int list = state.lists.Find(name);
        if (list < 0) {
            list = static_cast<int>(dim.memberLists.size());
            state.lists.Insert(name, list);
            dim.memberLists.push_back({name, {}});
        }
        if (fields_.size() == 1) {
            return;
        }
        MemberListEntry entry;
        entry.member = dim.members[static_cast<size_t>(MemberIndex(fields_[1]))].label;
        if (fields_.size() == 3 && !fields_[2].isEmpty()) {
            if (dimension_ != Dimension::Entity) {
                Fail(QStringLiteral("only entity lists name a parent"));
            }
            entry.parent = dim.members[static_cast<size_t>(MemberIndex(fields_[2]))].label;
        }
        dim.memberLists[static_cast<size_t>(list)].entries.push_back(std::move(entry));
    }

    void FinishMemberListFile() {
        if (section_ != AppSection::MemberListFile) {
            return;
        }
        auto decoded =
            QByteArray::fromBase64Encoding(base64_, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            ThrowMalformed(faults_.fileName(), base64Lines_.empty() ? line_ : base64Lines_.front(),
                           QStringLiteral("the !MEMBER_LIST_FILE section is not valid base64"));
        }
        model_.memberListFile = *decoded;
        section_ = AppSection::None;
    }

    bool IsDefined(const AppAttribute& attribute, QStringView target) const {
        switch (attribute.reference) {
            case AttributeReference::SecurityClass:
                return classKeys_.Contains(target);
            case AttributeReference::Member:
                return state_[static_cast<size_t>(attribute.referredDimension)].index.Contains(
                    target);
            case AttributeReference::None:
                break;
        }
        return true;
    }

    void CheckReferences() {
        for (const PendingReference& ref : pending_) {
            const MemberModel& m = model_.dim(static_cast<Dimension>(ref.dimension))
                                       .members[static_cast<size_t>(ref.member)];
            const AppAttribute& attribute = AppAttributes()[ref.attribute];
            const QString target = attribute.write(m, made_).toString();
            if (IsDefined(attribute, target)) {
                continue;
            }
            const auto fail = [&](const QString& reason) { faults_.Add(ref.line, reason); };
            if (attribute.reference == AttributeReference::SecurityClass) {
                fail(QStringLiteral("unknown security class \"%1\" of \"%2\" (not in "
                                    "!SECURITY_CLASSES)")
                         .arg(target, m.label));
            } else {
                fail(QStringLiteral("%1 \"%2\" of \"%3\" is not a member of %4")
                         .arg(QLatin1String(attribute.referredAs), target, m.label,
                              DimensionDisplayName(attribute.referredDimension)));
            }
        }
    }

    // The relations as labels, the members' own texts, made last: they cost several times
    // the positions the checks work on, which are handed back for the proof.
    std::vector<std::pair<int32_t, int32_t>> FillHierarchy(Dimension d) {
        DimensionState& state = state_[static_cast<size_t>(d)];
        DimensionModel& dim = model_.dim(d);
        state.relationLines = {};
        ReserveLarge(dim.hierarchy, dim.hierarchy.size() + state.relationIds.size());
        for (const auto& [parent, child] : state.relationIds) {
            dim.hierarchy.push_back(
                {parent < 0 ? QString() : dim.members[static_cast<size_t>(parent)].label,
                 dim.members[static_cast<size_t>(child)].label});
        }
        std::vector<std::pair<int32_t, int32_t>> relations = std::move(state.relationIds);
        state = DimensionState();
        return relations;
    }

    // A member occurs once under a parent and once at the top. Sorting the relations'
    // keys finds repeats without a set of a million nodes; the relations are gone through
    // again, in file order, only when there is one, so that the later line is the one named.
    void CheckRepeatedRelations(Dimension d) {
        const DimensionState& state = state_[static_cast<size_t>(d)];
        const auto key = [&state](size_t r) {
            const auto [parent, child] = state.relationIds[r];
            return (static_cast<uint64_t>(parent + 1) << 32) | static_cast<uint32_t>(child);
        };
        std::vector<uint64_t> repeated;
        {
            std::vector<uint64_t> keys;
            ReserveLarge(keys, state.relationIds.size());
            for (size_t r = 0; r < state.relationIds.size(); ++r) {
                keys.push_back(key(r));
            }
            std::sort(keys.begin(), keys.end());
            for (size_t k = 1; k < keys.size(); ++k) {
                if (keys[k] == keys[k - 1] && (repeated.empty() || repeated.back() != keys[k])) {
                    repeated.push_back(keys[k]);
                }
            }
        }
        if (repeated.empty()) {
            return;
        }
        const DimensionModel& dim = model_.dim(d);
        std::vector<bool> met(repeated.size(), false);
        for (size_t r = 0; r < state.relationIds.size(); ++r) {
            const auto found = std::lower_bound(repeated.begin(), repeated.end(), key(r));
            if (found == repeated.end() || *found != key(r)) {
                continue;
            }
            const auto at = static_cast<size_t>(found - repeated.begin());
            if (!met[at]) {
                met[at] = true;
                continue;
            }
            const auto [parent, child] = state.relationIds[r];
            const QString& childLabel = dim.members[static_cast<size_t>(child)].label;
            faults_.Add(state.relationLines[r],
                        parent < 0
                            ? QStringLiteral("\"%1\" is a top member twice").arg(childLabel)
                            : QStringLiteral("\"%1\" is below \"%2\" twice (a member is shared "
                                             "under the same parent only once)")
                                  .arg(childLabel, dim.members[static_cast<size_t>(parent)].label));
        }
    }

    // Depth-first over every member with an explicit stack; a relation that leads back
    // to a member still on the path closes a cycle.
    void CheckCycles(Dimension d) {
        const DimensionModel& dim = model_.dim(d);
        const DimensionState& state = state_[static_cast<size_t>(d)];
        const size_t n = dim.members.size();
        if (state.relationIds.empty()) {
            return;
        }
        // The relations below each member, grouped in two flat arrays: one allocation
        // instead of one per parent.
        std::vector<int> offsets;
        ReserveLarge(offsets, n + 1);
        offsets.resize(n + 1, 0);
        for (const auto& [parent, child] : state.relationIds) {
            if (parent >= 0) {
                ++offsets[static_cast<size_t>(parent) + 1];
            }
        }
        for (size_t i = 0; i < n; ++i) {
            offsets[i + 1] += offsets[i];
        }
        std::vector<int> below;  // relation numbers
        ReserveLarge(below, static_cast<size_t>(offsets[n]));
        below.resize(static_cast<size_t>(offsets[n]));
        {
            std::vector<int> fill(offsets.begin(), offsets.end() - 1);
            for (size_t r = 0; r < state.relationIds.size(); ++r) {
                const int parent = state.relationIds[r].first;
                if (parent >= 0) {
                    below[static_cast<size_t>(fill[static_cast<size_t>(parent)]++)] =
                        static_cast<int>(r);
                }
            }
        }
        enum : char { kNew, kOnPath, kDone };
        std::vector<char> mark(n, kNew);
        std::vector<std::pair<size_t, size_t>> stack;  // (member, next child position)
        for (size_t start = 0; start < n; ++start) {
            if (mark[start] != kNew) {
                continue;
            }
            stack.push_back({start, static_cast<size_t>(offsets[start])});
            mark[start] = kOnPath;
            while (!stack.empty()) {
                auto& [member, next] = stack.back();
                if (next == static_cast<size_t>(offsets[member + 1])) {
                    mark[member] = kDone;
                    stack.pop_back();
                    continue;
                }
                const int relation = below[next++];
                const auto c =
                    static_cast<size_t>(state.relationIds[static_cast<size_t>(relation)].second);
                if (mark[c] == kOnPath) {
                    // Named, then passed over, so that the search goes on to other cycles.
                    faults_.Add(state.relationLines[static_cast<size_t>(relation)],
                                QStringLiteral("\"%1\" below \"%2\" closes a cycle in the %3 "
                                               "hierarchy")
                                    .arg(dim.members[c].label, dim.members[member].label,
                                         DimensionDisplayName(d)));
                }
                if (mark[c] == kNew) {
                    mark[c] = kOnPath;
                    stack.push_back({c, static_cast<size_t>(offsets[c])});
                }
            }
        }
    }

    FileFaults& faults_;
    AppSyntax syntax_;
    int line_ = 0;
    AppModel model_;
    AppSection section_ = AppSection::None;
    Dimension dimension_ = Dimension::Scenario;
    QStringList fields_;
    LabelIndex languageKeys_;
    LabelIndex classKeys_;
    std::array<DimensionState, kDimensionCount> state_;
    std::vector<PendingReference> pending_;
    QString made_;  // for attribute values made as they are checked
    QByteArray base64_;
    std::vector<int> base64Lines_;
};

AppRecords::AppRecords(FileFaults& faults, AppSyntax syntax)
    : impl_(std::make_unique<Impl>(faults, syntax)) {}
AppRecords::~AppRecords() = default;

void AppRecords::Begin(AppSection section, Dimension dimension, int line, size_t expected) {
    impl_->Begin(section, dimension, line, expected);
}

void AppRecords::Add(QStringList& fields, int line) {
    impl_->Add(fields, line);
}

void AppRecords::AddBase64(QByteArrayView text, int line) {
    impl_->AddBase64(text, line);
}

AppModel AppRecords::Finish(ModelProof* proof) {
    return impl_->Finish(proof);
}

}  // namespace tarsel::local::format
