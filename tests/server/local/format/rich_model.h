#pragma once
// A model for round trips: every attribute away from its default, labels that need
// quoting, shared members, both kinds of list entries and a member list file that is
// not text.

#include "server/local/app_model.h"

namespace tarsel::local::format::testing_models {

inline MemberModel Member(const QString& label) {
    MemberModel m;
    m.label = label;
    return m;
}

inline AppModel RichModel() {
    AppModel model;
    model.languages = {"English", "Français"};
    model.securityClasses = {"Finance", "HR; Payroll"};

    DimensionModel& value = model.dim(Dimension::Value);
    value.members = {Member("<Entity Currency>"), Member("EUR"), Member("[None]")};
    value.members[1].isCurrency = true;
    value.members[2].isSystem = true;

    DimensionModel& custom1 = model.dim(Dimension::Custom1);
    custom1.members = {Member("TotC1"), Member("Elim")};
    custom1.members[1].isConsolMethod = true;
    custom1.members[1].userDefined = {"u1", "", "u=3"};
    custom1.hierarchy = {{"", "TotC1"}, {"TotC1", "Elim"}};

    DimensionModel& entity = model.dim(Dimension::Entity);
    entity.members = {Member("Group"), Member("Europe"), Member("France; SA"), Member("\"Quoted\""),
                      Member(" lead"), Member("!bang"),  Member("'tick"),      Member("Zürich")};
    entity.members[0].descriptions = {"Group total", "Total du groupe"};
    entity.members[2].descriptions = {"", "France S.A."};
    entity.members[2].defaultCurrency = "EUR";
    entity.members[2].allowAdjs = true;
    entity.members[2].allowAdjsFromChildren = true;
    entity.members[2].isIcp = true;
    entity.members[2].securityClass = "HR; Payroll";
    entity.members[7].descriptions = {" padded ", ""};
    entity.hierarchy = {{"", "Group"},           {"Group", "Europe"},  {"Europe", "France; SA"},
                        {"Group", "\"Quoted\""}, {"Europe", " lead"},  {"Group", "!bang"},
                        {"!bang", "'tick"},      {"Europe", "Zürich"}, {"Group", "Zürich"}};
    entity.memberLists = {{"Europe List", {{"France; SA", "Europe"}, {"Zürich", ""}}},
                          {"Empty", {}}};

    DimensionModel& account = model.dim(Dimension::Account);
    account.members = {Member("Sales"), Member("Rate")};
    MemberModel& sales = account.members[0];
    sales.accountType = account_type::Income;
    sales.isCalculated = true;
    sales.isConsolidated = false;
    sales.usesLineItems = true;
    sales.icpType = icp_type::Restricted;
    sales.decimalPlaces = 2;
    sales.topCustom = {"TotC1", "", "", ""};
    sales.customAggregationEnabled = {true, false, true, false};
    sales.securityClass = "Finance";
    sales.userDefined = {"a", "b", "c"};
    account.members[1].accountType = account_type::CurrencyRate;
    account.members[1].isSystem = true;
    account.hierarchy = {{"", "Sales"}, {"", "Rate"}};

    model.memberListFile = QByteArray("Sub EnumMemberLists()\r\n\xFF\x00 end\n", 30);
    return model;
}

}  // namespace tarsel::local::format::testing_models
