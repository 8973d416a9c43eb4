#pragma once
// The small ledger application the data tests load, consolidate and extract:
//   Entity   World{Europe{France, Germany}, US}, Francophone{France} (France is shared)
//   Account  NetIncome(Income){Sales(Income), Costs(Expense)},
//            Assets(Asset){Cash(Asset), Payables(Liability)}, Rate (calculated)
//   Custom1  [None], Products{P1, P2}; Period 01..12; Value [None], <Entity Currency>,
//   <Entity Curr Adjs>; one member in each other dimension.

#include "tests/support/app_builder.h"

namespace tarsel::test {

inline local::AppModel DataTestApp() {
    AppBuilder app;
    app.Children(Dimension::Scenario, {}, {"Actual"});
    app.Children(Dimension::Year, {}, {"2026"});
    app.Children(Dimension::Period, {},
                 {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"});
    app.Children(Dimension::View, {}, {"YTD", "Periodic"});
    app.Children(Dimension::Entity, {}, {"World"});
    app.Children(Dimension::Entity, "World", {"Europe", "US"});
    app.Children(Dimension::Entity, "Europe", {"France", "Germany"});
    app.Children(Dimension::Entity, {}, {"Francophone"});
    app.Children(Dimension::Entity, "Francophone", {"France"});
    app.Children(Dimension::Value, {}, {"[None]", "<Entity Currency>", "<Entity Curr Adjs>"});
    app.Children(Dimension::Account, {}, {"NetIncome"});
    app.Children(Dimension::Account, "NetIncome", {"Sales", "Costs"});
    app.Children(Dimension::Account, {}, {"Assets"});
    app.Children(Dimension::Account, "Assets", {"Cash", "Payables"});
    app.Children(Dimension::Account, {}, {"Rate"});
    app.Add(Dimension::Account, "NetIncome").accountType = account_type::Income;
    app.Add(Dimension::Account, "Sales").accountType = account_type::Income;
    app.Add(Dimension::Account, "Costs").accountType = account_type::Expense;
    app.Add(Dimension::Account, "Assets").accountType = account_type::Asset;
    app.Add(Dimension::Account, "Cash").accountType = account_type::Asset;
    app.Add(Dimension::Account, "Payables").accountType = account_type::Liability;
    app.Add(Dimension::Account, "Rate").isCalculated = true;
    app.Children(Dimension::ICP, {}, {"[ICP None]"});
    app.Children(Dimension::Custom1, {}, {"[None]", "Products"});
    app.Children(Dimension::Custom1, "Products", {"P1", "P2"});
    for (const Dimension d : {Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
        app.Children(d, {}, {"[None]"});
    }
    return app.Build();
}

}  // namespace tarsel::test
