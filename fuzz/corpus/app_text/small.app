' Demo application of the local Tarsel server, written by make_demo.py.
!FILE_FORMAT=1
!LANGUAGES
English
French
!SECURITY_CLASSES
Finance
HR
Europe
Americas
!MEMBERS=Scenario
Actual
Budget
Forecast
!DESCRIPTIONS=Scenario
Actual;English;Actual
Actual;French;Réel
Budget;English;Budget
Budget;French;Budget
!HIERARCHIES=Scenario
;Actual
;Budget
;Forecast
!MEMBERS=Year
2024
2025
2026
!DESCRIPTIONS=Year
2024;English;Year 2024
2024;French;Année 2024
2025;English;Year 2025
2025;French;Année 2025
!HIERARCHIES=Year
;2024
;2025
;2026
!MEMBERS=Period
Year
Q1
01
02
!DESCRIPTIONS=Period
Year;English;Full year
Year;French;Année complète
Q1;English;Quarter 1
Q1;French;Trimestre 1
!HIERARCHIES=Period
;Year
Year;Q1
Q1;01
Q1;02
!MEMBERS=View
YTD
Periodic
!DESCRIPTIONS=View
YTD;English;Year to date
YTD;French;Cumul annuel
Periodic;English;Periodic
Periodic;French;Périodique
!HIERARCHIES=View
;YTD
;Periodic
!MEMBERS=Entity
Group;Currency=EUR;AllowAdjs=True;AllowAdjsFromChildren=True;Security=Corporate
Europe;Currency=EUR;AllowAdjs=True;AllowAdjsFromChildren=True;Security=Europe
France;Currency=EUR;AllowAdjs=True;Security=Europe
FR01;Currency=EUR;AllowAdjs=True;IsICP=True;Security=Europe;UD1=FR
!DESCRIPTIONS=Entity
Group;English;Tarsel Group
Group;French;Groupe Tarsel
Europe;English;Europe
Europe;French;Europe
!HIERARCHIES=Entity
;Group
Group;Europe
Europe;France
France;FR01
!MEMBERS=Value
<Entity Currency>;IsSystem=True
<Entity Curr Adjs>;IsSystem=True
<Entity Curr Total>;IsSystem=True
<Parent Currency>;IsSystem=True
!DESCRIPTIONS=Value
<Entity Currency>;English;Entity currency
<Entity Currency>;French;Devise de l'entité
<Entity Curr Adjs>;English;Entity currency adjustments
<Entity Curr Adjs>;French;Ajustements en devise de l'entité
!HIERARCHIES=Value
;<Entity Currency>
;<Entity Curr Adjs>
;<Entity Curr Total>
;<Parent Currency>
!MEMBERS=Account
AllAccounts;Type=GroupLabel;IsCalculated=True
BalanceSheet;Type=GroupLabel;IsCalculated=True
TotalAssets;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
TotalLiabEquity;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
!DESCRIPTIONS=Account
AllAccounts;English;All accounts
AllAccounts;French;Tous les comptes
BalanceSheet;English;Balance sheet
BalanceSheet;French;Bilan
!HIERARCHIES=Account
;AllAccounts
AllAccounts;BalanceSheet
BalanceSheet;TotalAssets
BalanceSheet;TotalLiabEquity
!MEMBERS=ICP
[ICP Top];IsSystem=True
[ICP None];IsSystem=True
[ICP Entities];IsSystem=True
FR01
!DESCRIPTIONS=ICP
[ICP Top];English;All intercompany partners
[ICP Top];French;Tous les partenaires
[ICP None];English;No intercompany partner
[ICP None];French;Aucun partenaire
!HIERARCHIES=ICP
;[ICP Top]
;[ICP None]
[ICP Top];[ICP Entities]
[ICP Entities];FR01
!MEMBERS=Custom1
TotC1
[None];IsSystem=True
C1Currencies
EUR;IsCurrency=True
!DESCRIPTIONS=Custom1
TotC1;English;All Custom1
TotC1;French;Tout Custom1
[None];English;None
[None];French;Aucun
!HIERARCHIES=Custom1
;TotC1
TotC1;[None]
TotC1;C1Currencies
C1Currencies;EUR
!MEMBERS=Custom2
TotProducts
Hardware
Servers;UD1=HA
Storage;UD1=HA
!DESCRIPTIONS=Custom2
TotProducts;English;All products
TotProducts;French;Tous les produits
Hardware;English;Hardware
Hardware;French;Matériel
!HIERARCHIES=Custom2
;TotProducts
TotProducts;Hardware
Hardware;Servers
Hardware;Storage
!MEMBERS=Custom3
TotChannels
Retail
Wholesale
Online
!DESCRIPTIONS=Custom3
TotChannels;English;All channels
TotChannels;French;Tous les canaux
Retail;English;Retail
Retail;French;Détail
!HIERARCHIES=Custom3
;TotChannels
TotChannels;Retail
TotChannels;Wholesale
TotChannels;Online
!MEMBERS=Custom4
TotMovements
Opening
Additions
Disposals
!DESCRIPTIONS=Custom4
TotMovements;English;All movements
TotMovements;French;Tous les mouvements
Opening;English;Opening balance
Opening;French;Solde d'ouverture
!HIERARCHIES=Custom4
;TotMovements
TotMovements;Opening
TotMovements;Additions
TotMovements;Disposals
