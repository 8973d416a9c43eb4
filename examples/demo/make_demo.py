#!/usr/bin/python3
"""Writes Demo.app and Demo.lst, the demo application of the local Tarsel server.

A small but believable group: entities over regions with a few shared under a second
parent, accounts of every type, four custom dimensions, currencies and the system members
of the Value dimension, two languages. Run it from anywhere; it writes beside itself.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CRLF = "\r\n"

LANGUAGES = ["English", "French"]
SECURITY = ["Finance", "HR", "Europe", "Americas", "AsiaPacific", "Corporate"]

# dimension -> list of (label, attrs dict, english, french)
members = {}
# dimension -> list of (parent, child)
hierarchy = {}


def member(dim, label, en, fr, **attrs):
    members.setdefault(dim, []).append((label, attrs, en, fr))


def rel(dim, parent, child):
    hierarchy.setdefault(dim, []).append((parent, child))


# ---- Scenario, Year, View ---------------------------------------------------------
for label, en, fr in [("Actual", "Actual", "Réel"), ("Budget", "Budget", "Budget"),
                      ("Forecast", "Forecast", "Prévision")]:
    member("Scenario", label, en, fr)
    rel("Scenario", "", label)
for year in ("2024", "2025", "2026"):
    member("Year", year, "Year " + year, "Année " + year)
    rel("Year", "", year)
for label, en, fr in [("YTD", "Year to date", "Cumul annuel"),
                      ("Periodic", "Periodic", "Périodique")]:
    member("View", label, en, fr)
    rel("View", "", label)

# ---- Period: 01..12 under quarters under the year total ------------------------------
member("Period", "Year", "Full year", "Année complète")
rel("Period", "", "Year")
MONTHS_EN = ["January", "February", "March", "April", "May", "June", "July", "August",
             "September", "October", "November", "December"]
MONTHS_FR = ["Janvier", "Février", "Mars", "Avril", "Mai", "Juin", "Juillet", "Août",
             "Septembre", "Octobre", "Novembre", "Décembre"]
for q in range(1, 5):
    member("Period", "Q%d" % q, "Quarter %d" % q, "Trimestre %d" % q)
    rel("Period", "Year", "Q%d" % q)
    for m in range(3 * q - 2, 3 * q + 1):
        label = "%02d" % m
        member("Period", label, MONTHS_EN[m - 1], MONTHS_FR[m - 1])
        rel("Period", "Q%d" % q, label)

# ---- Value: system members and currencies ---------------------------------------------
VALUE_SYSTEM = [
    ("<Entity Currency>", "Entity currency", "Devise de l'entité"),
    ("<Entity Curr Adjs>", "Entity currency adjustments", "Ajustements en devise de l'entité"),
    ("<Entity Curr Total>", "Entity currency total", "Total en devise de l'entité"),
    ("<Parent Currency>", "Parent currency", "Devise du parent"),
    ("<Parent Curr Adjs>", "Parent currency adjustments", "Ajustements en devise du parent"),
    ("<Parent Curr Total>", "Parent currency total", "Total en devise du parent"),
    ("[Parent]", "Parent", "Parent"),
    ("[Parent Adjs]", "Parent adjustments", "Ajustements du parent"),
    ("[Parent Total]", "Parent total", "Total du parent"),
    ("[Proportion]", "Proportion", "Proportion"),
    ("[Elimination]", "Elimination", "Élimination"),
    ("[Contribution]", "Contribution", "Contribution"),
    ("[Contribution Adjs]", "Contribution adjustments", "Ajustements de contribution"),
    ("[Contribution Total]", "Contribution total", "Total de contribution"),
    ("[None]", "None", "Aucun"),
]
for label, en, fr in VALUE_SYSTEM:
    member("Value", label, en, fr, IsSystem="True")
    rel("Value", "", label)
CURRENCIES = [("EUR", "Euro", "Euro"), ("USD", "US dollar", "Dollar américain"),
              ("GBP", "Pound sterling", "Livre sterling"), ("CHF", "Swiss franc", "Franc suisse"),
              ("SEK", "Swedish krona", "Couronne suédoise"), ("CAD", "Canadian dollar", "Dollar canadien"),
              ("BRL", "Brazilian real", "Réal brésilien"), ("MXN", "Mexican peso", "Peso mexicain"),
              ("JPY", "Japanese yen", "Yen japonais"), ("CNY", "Chinese yuan", "Yuan chinois"),
              ("SGD", "Singapore dollar", "Dollar de Singapour"), ("AUD", "Australian dollar", "Dollar australien")]
for label, en, fr in CURRENCIES:
    member("Value", label, en, fr, IsCurrency="True")
    rel("Value", "", label)
# The server keeps an adjustments and a total member beside each currency; their labels
# end in "Adjs" and "Total", so the programs must not offer them as currencies.
for label, en, fr in CURRENCIES:
    member("Value", label + " Adjs", en + " adjustments", "Ajustements " + fr.lower(), IsSystem="True")
    rel("Value", "", label + " Adjs")
    member("Value", label + " Total", en + " total", "Total " + fr.lower(), IsSystem="True")
    rel("Value", "", label + " Total")

# ---- Entity: regions, countries, legal entities; some shared under a segment ------------
member("Entity", "Group", "Tarsel Group", "Groupe Tarsel", Currency="EUR", AllowAdjs="True",
       AllowAdjsFromChildren="True", Security="Corporate")
rel("Entity", "", "Group")
REGIONS = {
    "Europe": ("EUR", "Europe", "Europe", [
        ("France", "EUR", "France", "France", ["FR01", "FR02", "FR03", "FR04"]),
        ("Germany", "EUR", "Germany", "Allemagne", ["DE01", "DE02", "DE03"]),
        ("UK", "GBP", "United Kingdom", "Royaume-Uni", ["UK01", "UK02", "UK03"]),
        ("Nordics", "SEK", "Nordics", "Pays nordiques", ["SE01", "SE02", "NO01", "DK01"]),
        ("Switzerland", "CHF", "Switzerland", "Suisse", ["CH01", "CH02"]),
        ("Italy", "EUR", "Italy", "Italie", ["IT01", "IT02"]),
        ("Spain", "EUR", "Spain", "Espagne", ["ES01", "ES02"]),
    ]),
    "Americas": ("USD", "Americas", "Amériques", [
        ("USA", "USD", "United States", "États-Unis", ["US01", "US02", "US03", "US04", "US05"]),
        ("Canada", "CAD", "Canada", "Canada", ["CA01", "CA02"]),
        ("LatAm", "USD", "Latin America", "Amérique latine", ["BR01", "BR02", "MX01", "MX02"]),
    ]),
    "AsiaPacific": ("USD", "Asia Pacific", "Asie-Pacifique", [
        ("Japan", "JPY", "Japan", "Japon", ["JP01", "JP02"]),
        ("China", "CNY", "China", "Chine", ["CN01", "CN02", "CN03"]),
        ("Singapore", "SGD", "Singapore", "Singapour", ["SG01"]),
        ("Australia", "AUD", "Australia", "Australie", ["AU01", "AU02"]),
    ]),
}
LOCAL_CURRENCY = {"SE": "SEK", "NO": "SEK", "DK": "SEK", "BR": "BRL", "MX": "MXN"}
KINDS = [("Sales", "Ventes"), ("Manufacturing", "Production"), ("Services", "Services"),
         ("Holding", "Holding"), ("Distribution", "Distribution")]
for region, (currency, en, fr, countries) in REGIONS.items():
    member("Entity", region, en, fr, Currency=currency, AllowAdjs="True",
           AllowAdjsFromChildren="True", Security=region)
    rel("Entity", "Group", region)
    for country, ccy, cen, cfr, legal in countries:
        member("Entity", country, cen, cfr, Currency=ccy, AllowAdjs="True", Security=region)
        rel("Entity", region, country)
        for i, code in enumerate(legal):
            kind_en, kind_fr = KINDS[(len(code) + i + ord(code[0])) % len(KINDS)]
            lc = LOCAL_CURRENCY.get(code[:2], ccy)
            attrs = dict(Currency=lc, IsICP="True", Security=region, UD1=code[:2])
            if i == 0:
                attrs["AllowAdjs"] = "True"
            member("Entity", code, "%s %s %s" % (cen, kind_en, code[2:]),
                   "%s %s %s" % (kind_fr, cfr, code[2:]), **attrs)
            rel("Entity", country, code)
# A segment view that shares some legal entities under a second parent.
member("Entity", "Segments", "Operating segments", "Segments opérationnels", Currency="EUR",
       Security="Corporate")
rel("Entity", "", "Segments")
for seg, en, fr, shared in [("SegIndustrial", "Industrial segment", "Segment industriel",
                             ["FR01", "DE01", "US01", "CN01"]),
                            ("SegConsumer", "Consumer segment", "Segment grand public",
                             ["UK01", "US02", "JP01", "BR01"])]:
    member("Entity", seg, en, fr, Currency="EUR", AllowAdjs="True", Security="Corporate")
    rel("Entity", "Segments", seg)
    for code in shared:
        rel("Entity", seg, code)

# ---- Custom1: flows with currency and consolidation-method members ---------------------
member("Custom1", "TotC1", "All Custom1", "Tout Custom1")
rel("Custom1", "", "TotC1")
member("Custom1", "[None]", "None", "Aucun", IsSystem="True")
rel("Custom1", "TotC1", "[None]")
member("Custom1", "C1Currencies", "Currencies", "Devises")
rel("Custom1", "TotC1", "C1Currencies")
for label in ("EUR", "USD", "GBP", "JPY"):
    member("Custom1", label, label + " currency", "Devise " + label, IsCurrency="True")
    rel("Custom1", "C1Currencies", label)
member("Custom1", "C1Methods", "Consolidation methods", "Méthodes de consolidation")
rel("Custom1", "TotC1", "C1Methods")
for label, en, fr in [("Holding", "Holding company", "Société mère"),
                      ("Global", "Full consolidation", "Intégration globale"),
                      ("Proportional", "Proportional consolidation", "Intégration proportionnelle"),
                      ("Equity", "Equity method", "Mise en équivalence")]:
    member("Custom1", label, en, fr, IsConsolMethod="True")
    rel("Custom1", "C1Methods", label)

# ---- Custom2 products, Custom3 channels, Custom4 movements -----------------------------
member("Custom2", "TotProducts", "All products", "Tous les produits")
rel("Custom2", "", "TotProducts")
for group, en, fr, items in [("Hardware", "Hardware", "Matériel", ["Servers", "Storage", "Network"]),
                             ("Software", "Software", "Logiciel", ["Licences", "Subscriptions"]),
                             ("Support", "Support", "Assistance", ["Maintenance", "Consulting", "Training"])]:
    member("Custom2", group, en, fr)
    rel("Custom2", "TotProducts", group)
    for item in items:
        member("Custom2", item, item, item + " (fr)", UD1=group[:2].upper())
        rel("Custom2", group, item)
member("Custom2", "[None]", "None", "Aucun", IsSystem="True")
rel("Custom2", "", "[None]")
member("Custom3", "TotChannels", "All channels", "Tous les canaux")
rel("Custom3", "", "TotChannels")
for label, en, fr in [("Retail", "Retail", "Détail"), ("Wholesale", "Wholesale", "Gros"),
                      ("Online", "Online", "En ligne"), ("Partners", "Partners", "Partenaires")]:
    member("Custom3", label, en, fr)
    rel("Custom3", "TotChannels", label)
member("Custom3", "[None]", "None", "Aucun", IsSystem="True")
rel("Custom3", "", "[None]")
member("Custom4", "TotMovements", "All movements", "Tous les mouvements")
rel("Custom4", "", "TotMovements")
for label, en, fr in [("Opening", "Opening balance", "Solde d'ouverture"),
                      ("Additions", "Additions", "Augmentations"),
                      ("Disposals", "Disposals", "Cessions"),
                      ("FXDiff", "Exchange differences", "Écarts de change"),
                      ("Closing", "Closing balance", "Solde de clôture")]:
    member("Custom4", label, en, fr)
    rel("Custom4", "TotMovements", label)
member("Custom4", "[None]", "None", "Aucun", IsSystem="True")
rel("Custom4", "", "[None]")

# ---- ICP -------------------------------------------------------------------------------
member("ICP", "[ICP Top]", "All intercompany partners", "Tous les partenaires", IsSystem="True")
rel("ICP", "", "[ICP Top]")
member("ICP", "[ICP None]", "No intercompany partner", "Aucun partenaire", IsSystem="True")
rel("ICP", "", "[ICP None]")
member("ICP", "[ICP Entities]", "Intercompany entities", "Entités intercompagnies", IsSystem="True")
rel("ICP", "[ICP Top]", "[ICP Entities]")
for code in ["FR01", "DE01", "UK01", "US01", "US02", "CN01", "JP01", "BR01"]:
    member("ICP", code, "Partner " + code, "Partenaire " + code)
    rel("ICP", "[ICP Entities]", code)

# ---- Account: a parent/child chart with every type 0 to 12 -----------------------------
TYPES = ["Income", "Expense", "Asset", "Liability", "Balance", "Flow", "Non-Financial",
         "CurrencyRate", "System", "Text", "GroupLabel", "BalanceRecurring", "Dynamic"]
BS = dict(TopC1="TotC1", TopC2="[None]", TopC3="[None]", TopC4="TotMovements")
PL = dict(TopC1="TotC1", TopC2="TotProducts", TopC3="TotChannels", TopC4="[None]")


def account(label, type_, en, fr, parent, **attrs):
    a = {} if type_ == "Balance" else {"Type": type_}
    a.update(attrs)
    member("Account", label, en, fr, **a)
    rel("Account", parent, label)


account("AllAccounts", "GroupLabel", "All accounts", "Tous les comptes", "", IsCalculated="True")
account("BalanceSheet", "GroupLabel", "Balance sheet", "Bilan", "AllAccounts", IsCalculated="True")
account("TotalAssets", "Asset", "Total assets", "Total actif", "BalanceSheet", IsCalculated="True", **BS)
account("TotalLiabEquity", "Liability", "Total liabilities and equity", "Total passif",
        "BalanceSheet", IsCalculated="True", **BS)
GROUPS = [
    ("CurrentAssets", "Asset", "Current assets", "Actif circulant", "TotalAssets", [
        ("Cash", "Cash at bank", "Trésorerie", 1000, 8),
        ("Receivables", "Trade receivables", "Créances clients", 1100, 8),
        ("Inventory", "Inventory", "Stocks", 1200, 6)]),
    ("FixedAssets", "Asset", "Fixed assets", "Immobilisations", "TotalAssets", [
        ("Tangible", "Tangible assets", "Immobilisations corporelles", 1500, 8),
        ("Intangible", "Intangible assets", "Immobilisations incorporelles", 1600, 5)]),
    ("Liabilities", "Liability", "Liabilities", "Dettes", "TotalLiabEquity", [
        ("Payables", "Trade payables", "Dettes fournisseurs", 2000, 8),
        ("Debt", "Borrowings", "Emprunts", 2500, 6)]),
    ("Equity", "Liability", "Equity", "Capitaux propres", "TotalLiabEquity", [
        ("Capital", "Share capital", "Capital social", 3000, 4)]),
]
ICP_ACCOUNTS = {"Receivables": "Yes", "Payables": "Yes", "Debt": "Restricted"}
for label, type_, en, fr, parent, subs in GROUPS:
    account(label, type_, en, fr, parent, IsCalculated="True", **BS)
    for sub, sen, sfr, start, count in subs:
        account(sub, type_, sen, sfr, label, IsCalculated="True", **BS)
        for i in range(count):
            attrs = dict(BS, DecimalPlaces="2")
            if sub in ICP_ACCOUNTS:
                attrs["ICP"] = ICP_ACCOUNTS[sub]
            if i == 0:
                attrs["UD1"] = sub.upper()[:4]
            account(str(start + i), type_, "%s %d" % (sen, i + 1), "%s %d" % (sfr, i + 1), sub,
                    **attrs)
# Balance and BalanceRecurring accounts under equity.
account("RetainedEarnings", "Balance", "Retained earnings", "Report à nouveau", "Equity", **BS)
for i in range(4):
    account("31%02d" % i, "BalanceRecurring", "Recurring reserve %d" % (i + 1),
            "Réserve récurrente %d" % (i + 1), "Equity", **BS)
# Income statement.
account("NetIncome", "Income", "Net income", "Résultat net", "AllAccounts", IsCalculated="True", **PL)
account("Revenue", "Income", "Revenue", "Chiffre d'affaires", "NetIncome", IsCalculated="True", **PL)
for i in range(12):
    account(str(4000 + i), "Income", "Revenue stream %d" % (i + 1), "Produit %d" % (i + 1),
            "Revenue", DecimalPlaces="2", **PL)
account("Expenses", "Expense", "Expenses", "Charges", "NetIncome", IsCalculated="True", **PL)
account("COGS", "Expense", "Cost of goods sold", "Coût des ventes", "Expenses", IsCalculated="True", **PL)
for i in range(10):
    account(str(5000 + i), "Expense", "Cost of sales %d" % (i + 1), "Coût %d" % (i + 1), "COGS", **PL)
account("Opex", "Expense", "Operating expenses", "Charges d'exploitation", "Expenses",
        IsCalculated="True", **PL)
for i in range(12):
    attrs = dict(PL)
    if i < 3:
        attrs["Security"] = "HR"
        attrs["UD2"] = "Payroll"
    account(str(6000 + i), "Expense", "Operating expense %d" % (i + 1),
            "Charge d'exploitation %d" % (i + 1), "Opex", UsesLineItems="True" if i == 5 else "False",
            **attrs)
# Cash flow.
account("CashFlow", "Flow", "Cash flow", "Flux de trésorerie", "AllAccounts", IsCalculated="True")
for i in range(8):
    account(str(7000 + i), "Flow", "Cash flow item %d" % (i + 1), "Flux %d" % (i + 1), "CashFlow",
            IsConsolidated="True")
# Statistics, rates, system, text and dynamic accounts.
account("Statistics", "GroupLabel", "Statistics", "Statistiques", "AllAccounts",
        IsCalculated="True", IsConsolidated="False")
for i, (en, fr) in enumerate([("Headcount", "Effectif"), ("FTE", "ETP"),
                              ("Floor space", "Surface"), ("Customers", "Clients")]):
    account("80%02d" % i, "Non-Financial", en, fr, "Statistics", Security="HR")
for code, _, _ in CURRENCIES[:6]:
    account("Rate" + code, "CurrencyRate", "Rate " + code, "Taux " + code, "Statistics",
            IsConsolidated="False", DecimalPlaces="6")
for label, en, fr in [("[Active]", "Active flag", "Indicateur actif"),
                      ("[PCON]", "Percent consolidation", "Pourcentage de consolidation"),
                      ("[POWN]", "Percent ownership", "Pourcentage de détention")]:
    account(label, "System", en, fr, "Statistics", IsConsolidated="False", IsSystem="True",
            Security="Finance")
for i, (en, fr) in enumerate([("Comment", "Commentaire"), ("Auditor note", "Note d'audit"),
                              ("Contact", "Contact")]):
    account("TXT%02d" % i, "Text", en, fr, "Statistics", IsConsolidated="False")
account("Ratios", "GroupLabel", "Ratios", "Ratios", "AllAccounts", IsCalculated="True",
        IsConsolidated="False")
for i, (en, fr) in enumerate([("Gross margin %", "Marge brute %"), ("EBIT margin %", "Marge EBIT %"),
                              ("Current ratio", "Ratio de liquidité"), ("DSO", "Délai clients"),
                              ("Gearing", "Endettement")]):
    account("RAT%02d" % i, "Dynamic", en, fr, "Ratios", IsCalculated="True", DecimalPlaces="4")

ORDER = ["Scenario", "Year", "Period", "View", "Entity", "Value", "Account", "ICP", "Custom1",
         "Custom2", "Custom3", "Custom4"]
ATTR_ORDER = ["Type", "ICP", "IsCalculated", "IsConsolidated", "UsesLineItems", "DecimalPlaces",
              "TopC1", "TopC2", "TopC3", "TopC4", "Currency", "AllowAdjs",
              "AllowAdjsFromChildren", "IsICP", "Security", "UD1", "UD2", "UD3", "IsSystem",
              "IsCurrency", "IsConsolMethod"]
DEFAULTS = {"IsConsolidated": "True", "UsesLineItems": "False", "DecimalPlaces": "0"}


def field(text):
    if any(c in text for c in ';"') or text[:1] in ("!", "'", " ") or text[-1:] == " ":
        return '"' + text.replace('"', '""') + '"'
    return text


def write_app(path):
    lines = ["' Demo application of the local Tarsel server, written by make_demo.py.",
             "!FILE_FORMAT=1", "!LANGUAGES"] + LANGUAGES + ["!SECURITY_CLASSES"] + SECURITY
    for dim in ORDER:
        lines.append("!MEMBERS=" + dim)
        for label, attrs, _, _ in members[dim]:
            fields = [field(label)]
            for name in ATTR_ORDER:
                if name in attrs and DEFAULTS.get(name) != attrs[name]:
                    fields.append(field(name + "=" + attrs[name]))
            lines.append(";".join(fields))
        lines.append("!DESCRIPTIONS=" + dim)
        for label, _, en, fr in members[dim]:
            lines.append(";".join(field(x) for x in (label, "English", en)))
            lines.append(";".join(field(x) for x in (label, "French", fr)))
        lines.append("!HIERARCHIES=" + dim)
        for parent, child in hierarchy[dim]:
            lines.append(";".join(field(x) if x else "" for x in (parent, child)))
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(CRLF.join(lines) + CRLF)


# Member lists in the builder's dialect: (dimension, [(name, [(parent or None, member)])]).
LISTS = [
    ("Entity", [
        ("EuropeLegal", [(c, e) for region in ["Europe"] for c, _, _, _, legal in REGIONS[region][3]
                         for e in legal]),
        ("KeyEntities", [(None, "FR01"), (None, "US01"), (None, "CN01"), (None, "UK01")]),
        ("IndustrialSegment", [("SegIndustrial", e) for e in ["FR01", "DE01", "US01", "CN01"]]),
    ]),
    ("Account", [
        ("KeyBalanceSheet", [(None, a) for a in ["TotalAssets", "CurrentAssets", "FixedAssets",
                                                 "Liabilities", "Equity"]]),
        ("PLSummary", [(None, a) for a in ["NetIncome", "Revenue", "COGS", "Opex"]]),
    ]),
    ("Custom2", [("Hardware Products", [(None, p) for p in ["Servers", "Storage", "Network"]])]),
]


def write_lst(path):
    out = ["' User member lists of the demo application.", "Sub EnumMemberLists()", ""]
    for dim, lists in LISTS:
        out.append("\tDim a%sLists(%d)" % (dim, len(lists)))
    out += ["", "\tSelect Case BR.Dimension"]
    for dim, lists in LISTS:
        out.append('\t\tCase "%s"' % dim)
        for n, (name, _) in enumerate(lists, 1):
            out.append('\t\t\ta%sLists(%d) = "%s"' % (dim, n, name))
        out.append("\t\t\tBR.SetMemberLists a%sLists" % dim)
    out += ["\tEnd Select", "", "End Sub", "", "Sub EnumMembersInList()", "",
            "\tSelect Case BR.Dimension"]
    for dim, lists in LISTS:
        out += ['\t\tCase "%s"' % dim, "\t\t\tSelect Case BR.MemberListID"]
        for n, (_, entries) in enumerate(lists, 1):
            out.append("\t\t\t\tCase %d" % n)
            for parent, label in entries:
                if parent:
                    out.append('\t\t\t\t\tBR.AddEntityToList "%s", "%s"' % (parent, label))
                else:
                    out.append('\t\t\t\t\tBR.AddMemberToList "%s"' % label)
        out.append("\t\t\tEnd Select")
    out += ["\tEnd Select", "", "End Sub"]
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(CRLF.join(out) + CRLF)


if __name__ == "__main__":
    write_app(os.path.join(HERE, "Demo.app"))
    write_lst(os.path.join(HERE, "Demo.lst"))
    for dim in ORDER:
        print("%-9s %4d members" % (dim, len(members[dim])))
