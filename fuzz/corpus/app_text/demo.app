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
AsiaPacific
Corporate
!MEMBERS=Scenario
Actual
Budget
Forecast
!DESCRIPTIONS=Scenario
Actual;English;Actual
Actual;French;Réel
Budget;English;Budget
Budget;French;Budget
Forecast;English;Forecast
Forecast;French;Prévision
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
2026;English;Year 2026
2026;French;Année 2026
!HIERARCHIES=Year
;2024
;2025
;2026
!MEMBERS=Period
Year
Q1
01
02
03
Q2
04
05
06
Q3
07
08
09
Q4
10
11
12
!DESCRIPTIONS=Period
Year;English;Full year
Year;French;Année complète
Q1;English;Quarter 1
Q1;French;Trimestre 1
01;English;January
01;French;Janvier
02;English;February
02;French;Février
03;English;March
03;French;Mars
Q2;English;Quarter 2
Q2;French;Trimestre 2
04;English;April
04;French;Avril
05;English;May
05;French;Mai
06;English;June
06;French;Juin
Q3;English;Quarter 3
Q3;French;Trimestre 3
07;English;July
07;French;Juillet
08;English;August
08;French;Août
09;English;September
09;French;Septembre
Q4;English;Quarter 4
Q4;French;Trimestre 4
10;English;October
10;French;Octobre
11;English;November
11;French;Novembre
12;English;December
12;French;Décembre
!HIERARCHIES=Period
;Year
Year;Q1
Q1;01
Q1;02
Q1;03
Year;Q2
Q2;04
Q2;05
Q2;06
Year;Q3
Q3;07
Q3;08
Q3;09
Year;Q4
Q4;10
Q4;11
Q4;12
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
FR02;Currency=EUR;IsICP=True;Security=Europe;UD1=FR
FR03;Currency=EUR;IsICP=True;Security=Europe;UD1=FR
FR04;Currency=EUR;IsICP=True;Security=Europe;UD1=FR
Germany;Currency=EUR;AllowAdjs=True;Security=Europe
DE01;Currency=EUR;AllowAdjs=True;IsICP=True;Security=Europe;UD1=DE
DE02;Currency=EUR;IsICP=True;Security=Europe;UD1=DE
DE03;Currency=EUR;IsICP=True;Security=Europe;UD1=DE
UK;Currency=GBP;AllowAdjs=True;Security=Europe
UK01;Currency=GBP;AllowAdjs=True;IsICP=True;Security=Europe;UD1=UK
UK02;Currency=GBP;IsICP=True;Security=Europe;UD1=UK
UK03;Currency=GBP;IsICP=True;Security=Europe;UD1=UK
Nordics;Currency=SEK;AllowAdjs=True;Security=Europe
SE01;Currency=SEK;AllowAdjs=True;IsICP=True;Security=Europe;UD1=SE
SE02;Currency=SEK;IsICP=True;Security=Europe;UD1=SE
NO01;Currency=SEK;IsICP=True;Security=Europe;UD1=NO
DK01;Currency=SEK;IsICP=True;Security=Europe;UD1=DK
Switzerland;Currency=CHF;AllowAdjs=True;Security=Europe
CH01;Currency=CHF;AllowAdjs=True;IsICP=True;Security=Europe;UD1=CH
CH02;Currency=CHF;IsICP=True;Security=Europe;UD1=CH
Italy;Currency=EUR;AllowAdjs=True;Security=Europe
IT01;Currency=EUR;AllowAdjs=True;IsICP=True;Security=Europe;UD1=IT
IT02;Currency=EUR;IsICP=True;Security=Europe;UD1=IT
Spain;Currency=EUR;AllowAdjs=True;Security=Europe
ES01;Currency=EUR;AllowAdjs=True;IsICP=True;Security=Europe;UD1=ES
ES02;Currency=EUR;IsICP=True;Security=Europe;UD1=ES
Americas;Currency=USD;AllowAdjs=True;AllowAdjsFromChildren=True;Security=Americas
USA;Currency=USD;AllowAdjs=True;Security=Americas
US01;Currency=USD;AllowAdjs=True;IsICP=True;Security=Americas;UD1=US
US02;Currency=USD;IsICP=True;Security=Americas;UD1=US
US03;Currency=USD;IsICP=True;Security=Americas;UD1=US
US04;Currency=USD;IsICP=True;Security=Americas;UD1=US
US05;Currency=USD;IsICP=True;Security=Americas;UD1=US
Canada;Currency=CAD;AllowAdjs=True;Security=Americas
CA01;Currency=CAD;AllowAdjs=True;IsICP=True;Security=Americas;UD1=CA
CA02;Currency=CAD;IsICP=True;Security=Americas;UD1=CA
LatAm;Currency=USD;AllowAdjs=True;Security=Americas
BR01;Currency=BRL;AllowAdjs=True;IsICP=True;Security=Americas;UD1=BR
BR02;Currency=BRL;IsICP=True;Security=Americas;UD1=BR
MX01;Currency=MXN;IsICP=True;Security=Americas;UD1=MX
MX02;Currency=MXN;IsICP=True;Security=Americas;UD1=MX
AsiaPacific;Currency=USD;AllowAdjs=True;AllowAdjsFromChildren=True;Security=AsiaPacific
Japan;Currency=JPY;AllowAdjs=True;Security=AsiaPacific
JP01;Currency=JPY;AllowAdjs=True;IsICP=True;Security=AsiaPacific;UD1=JP
JP02;Currency=JPY;IsICP=True;Security=AsiaPacific;UD1=JP
China;Currency=CNY;AllowAdjs=True;Security=AsiaPacific
CN01;Currency=CNY;AllowAdjs=True;IsICP=True;Security=AsiaPacific;UD1=CN
CN02;Currency=CNY;IsICP=True;Security=AsiaPacific;UD1=CN
CN03;Currency=CNY;IsICP=True;Security=AsiaPacific;UD1=CN
Singapore;Currency=SGD;AllowAdjs=True;Security=AsiaPacific
SG01;Currency=SGD;AllowAdjs=True;IsICP=True;Security=AsiaPacific;UD1=SG
Australia;Currency=AUD;AllowAdjs=True;Security=AsiaPacific
AU01;Currency=AUD;AllowAdjs=True;IsICP=True;Security=AsiaPacific;UD1=AU
AU02;Currency=AUD;IsICP=True;Security=AsiaPacific;UD1=AU
Segments;Currency=EUR;Security=Corporate
SegIndustrial;Currency=EUR;AllowAdjs=True;Security=Corporate
SegConsumer;Currency=EUR;AllowAdjs=True;Security=Corporate
!DESCRIPTIONS=Entity
Group;English;Tarsel Group
Group;French;Groupe Tarsel
Europe;English;Europe
Europe;French;Europe
France;English;France
France;French;France
FR01;English;France Distribution 01
FR01;French;Distribution France 01
FR02;English;France Sales 02
FR02;French;Ventes France 02
FR03;English;France Manufacturing 03
FR03;French;Production France 03
FR04;English;France Services 04
FR04;French;Services France 04
Germany;English;Germany
Germany;French;Allemagne
DE01;English;Germany Services 01
DE01;French;Services Allemagne 01
DE02;English;Germany Holding 02
DE02;French;Holding Allemagne 02
DE03;English;Germany Distribution 03
DE03;French;Distribution Allemagne 03
UK;English;United Kingdom
UK;French;Royaume-Uni
UK01;English;United Kingdom Distribution 01
UK01;French;Distribution Royaume-Uni 01
UK02;English;United Kingdom Sales 02
UK02;French;Ventes Royaume-Uni 02
UK03;English;United Kingdom Manufacturing 03
UK03;French;Production Royaume-Uni 03
Nordics;English;Nordics
Nordics;French;Pays nordiques
SE01;English;Nordics Services 01
SE01;French;Services Pays nordiques 01
SE02;English;Nordics Holding 02
SE02;French;Holding Pays nordiques 02
NO01;English;Nordics Distribution 01
NO01;French;Distribution Pays nordiques 01
DK01;English;Nordics Sales 01
DK01;French;Ventes Pays nordiques 01
Switzerland;English;Switzerland
Switzerland;French;Suisse
CH01;English;Switzerland Manufacturing 01
CH01;French;Production Suisse 01
CH02;English;Switzerland Services 02
CH02;French;Services Suisse 02
Italy;English;Italy
Italy;French;Italie
IT01;English;Italy Services 01
IT01;French;Services Italie 01
IT02;English;Italy Holding 02
IT02;French;Holding Italie 02
Spain;English;Spain
Spain;French;Espagne
ES01;English;Spain Holding 01
ES01;French;Holding Espagne 01
ES02;English;Spain Distribution 02
ES02;French;Distribution Espagne 02
Americas;English;Americas
Americas;French;Amériques
USA;English;United States
USA;French;États-Unis
US01;English;United States Distribution 01
US01;French;Distribution États-Unis 01
US02;English;United States Sales 02
US02;French;Ventes États-Unis 02
US03;English;United States Manufacturing 03
US03;French;Production États-Unis 03
US04;English;United States Services 04
US04;French;Services États-Unis 04
US05;English;United States Holding 05
US05;French;Holding États-Unis 05
Canada;English;Canada
Canada;French;Canada
CA01;English;Canada Manufacturing 01
CA01;French;Production Canada 01
CA02;English;Canada Services 02
CA02;French;Services Canada 02
LatAm;English;Latin America
LatAm;French;Amérique latine
BR01;English;Latin America Sales 01
BR01;French;Ventes Amérique latine 01
BR02;English;Latin America Manufacturing 02
BR02;French;Production Amérique latine 02
MX01;English;Latin America Holding 01
MX01;French;Holding Amérique latine 01
MX02;English;Latin America Distribution 02
MX02;French;Distribution Amérique latine 02
AsiaPacific;English;Asia Pacific
AsiaPacific;French;Asie-Pacifique
Japan;English;Japan
Japan;French;Japon
JP01;English;Japan Holding 01
JP01;French;Holding Japon 01
JP02;English;Japan Distribution 02
JP02;French;Distribution Japon 02
China;English;China
China;French;Chine
CN01;English;China Manufacturing 01
CN01;French;Production Chine 01
CN02;English;China Services 02
CN02;French;Services Chine 02
CN03;English;China Holding 03
CN03;French;Holding Chine 03
Singapore;English;Singapore
Singapore;French;Singapour
SG01;English;Singapore Services 01
SG01;French;Services Singapour 01
Australia;English;Australia
Australia;French;Australie
AU01;English;Australia Distribution 01
AU01;French;Distribution Australie 01
AU02;English;Australia Sales 02
AU02;French;Ventes Australie 02
Segments;English;Operating segments
Segments;French;Segments opérationnels
SegIndustrial;English;Industrial segment
SegIndustrial;French;Segment industriel
SegConsumer;English;Consumer segment
SegConsumer;French;Segment grand public
!HIERARCHIES=Entity
;Group
Group;Europe
Europe;France
France;FR01
France;FR02
France;FR03
France;FR04
Europe;Germany
Germany;DE01
Germany;DE02
Germany;DE03
Europe;UK
UK;UK01
UK;UK02
UK;UK03
Europe;Nordics
Nordics;SE01
Nordics;SE02
Nordics;NO01
Nordics;DK01
Europe;Switzerland
Switzerland;CH01
Switzerland;CH02
Europe;Italy
Italy;IT01
Italy;IT02
Europe;Spain
Spain;ES01
Spain;ES02
Group;Americas
Americas;USA
USA;US01
USA;US02
USA;US03
USA;US04
USA;US05
Americas;Canada
Canada;CA01
Canada;CA02
Americas;LatAm
LatAm;BR01
LatAm;BR02
LatAm;MX01
LatAm;MX02
Group;AsiaPacific
AsiaPacific;Japan
Japan;JP01
Japan;JP02
AsiaPacific;China
China;CN01
China;CN02
China;CN03
AsiaPacific;Singapore
Singapore;SG01
AsiaPacific;Australia
Australia;AU01
Australia;AU02
;Segments
Segments;SegIndustrial
SegIndustrial;FR01
SegIndustrial;DE01
SegIndustrial;US01
SegIndustrial;CN01
Segments;SegConsumer
SegConsumer;UK01
SegConsumer;US02
SegConsumer;JP01
SegConsumer;BR01
!MEMBERS=Value
<Entity Currency>;IsSystem=True
<Entity Curr Adjs>;IsSystem=True
<Entity Curr Total>;IsSystem=True
<Parent Currency>;IsSystem=True
<Parent Curr Adjs>;IsSystem=True
<Parent Curr Total>;IsSystem=True
[Parent];IsSystem=True
[Parent Adjs];IsSystem=True
[Parent Total];IsSystem=True
[Proportion];IsSystem=True
[Elimination];IsSystem=True
[Contribution];IsSystem=True
[Contribution Adjs];IsSystem=True
[Contribution Total];IsSystem=True
[None];IsSystem=True
EUR;IsCurrency=True
USD;IsCurrency=True
GBP;IsCurrency=True
CHF;IsCurrency=True
SEK;IsCurrency=True
CAD;IsCurrency=True
BRL;IsCurrency=True
MXN;IsCurrency=True
JPY;IsCurrency=True
CNY;IsCurrency=True
SGD;IsCurrency=True
AUD;IsCurrency=True
EUR Adjs;IsSystem=True
EUR Total;IsSystem=True
USD Adjs;IsSystem=True
USD Total;IsSystem=True
GBP Adjs;IsSystem=True
GBP Total;IsSystem=True
CHF Adjs;IsSystem=True
CHF Total;IsSystem=True
SEK Adjs;IsSystem=True
SEK Total;IsSystem=True
CAD Adjs;IsSystem=True
CAD Total;IsSystem=True
BRL Adjs;IsSystem=True
BRL Total;IsSystem=True
MXN Adjs;IsSystem=True
MXN Total;IsSystem=True
JPY Adjs;IsSystem=True
JPY Total;IsSystem=True
CNY Adjs;IsSystem=True
CNY Total;IsSystem=True
SGD Adjs;IsSystem=True
SGD Total;IsSystem=True
AUD Adjs;IsSystem=True
AUD Total;IsSystem=True
!DESCRIPTIONS=Value
<Entity Currency>;English;Entity currency
<Entity Currency>;French;Devise de l'entité
<Entity Curr Adjs>;English;Entity currency adjustments
<Entity Curr Adjs>;French;Ajustements en devise de l'entité
<Entity Curr Total>;English;Entity currency total
<Entity Curr Total>;French;Total en devise de l'entité
<Parent Currency>;English;Parent currency
<Parent Currency>;French;Devise du parent
<Parent Curr Adjs>;English;Parent currency adjustments
<Parent Curr Adjs>;French;Ajustements en devise du parent
<Parent Curr Total>;English;Parent currency total
<Parent Curr Total>;French;Total en devise du parent
[Parent];English;Parent
[Parent];French;Parent
[Parent Adjs];English;Parent adjustments
[Parent Adjs];French;Ajustements du parent
[Parent Total];English;Parent total
[Parent Total];French;Total du parent
[Proportion];English;Proportion
[Proportion];French;Proportion
[Elimination];English;Elimination
[Elimination];French;Élimination
[Contribution];English;Contribution
[Contribution];French;Contribution
[Contribution Adjs];English;Contribution adjustments
[Contribution Adjs];French;Ajustements de contribution
[Contribution Total];English;Contribution total
[Contribution Total];French;Total de contribution
[None];English;None
[None];French;Aucun
EUR;English;Euro
EUR;French;Euro
USD;English;US dollar
USD;French;Dollar américain
GBP;English;Pound sterling
GBP;French;Livre sterling
CHF;English;Swiss franc
CHF;French;Franc suisse
SEK;English;Swedish krona
SEK;French;Couronne suédoise
CAD;English;Canadian dollar
CAD;French;Dollar canadien
BRL;English;Brazilian real
BRL;French;Réal brésilien
MXN;English;Mexican peso
MXN;French;Peso mexicain
JPY;English;Japanese yen
JPY;French;Yen japonais
CNY;English;Chinese yuan
CNY;French;Yuan chinois
SGD;English;Singapore dollar
SGD;French;Dollar de Singapour
AUD;English;Australian dollar
AUD;French;Dollar australien
EUR Adjs;English;Euro adjustments
EUR Adjs;French;Ajustements euro
EUR Total;English;Euro total
EUR Total;French;Total euro
USD Adjs;English;US dollar adjustments
USD Adjs;French;Ajustements dollar américain
USD Total;English;US dollar total
USD Total;French;Total dollar américain
GBP Adjs;English;Pound sterling adjustments
GBP Adjs;French;Ajustements livre sterling
GBP Total;English;Pound sterling total
GBP Total;French;Total livre sterling
CHF Adjs;English;Swiss franc adjustments
CHF Adjs;French;Ajustements franc suisse
CHF Total;English;Swiss franc total
CHF Total;French;Total franc suisse
SEK Adjs;English;Swedish krona adjustments
SEK Adjs;French;Ajustements couronne suédoise
SEK Total;English;Swedish krona total
SEK Total;French;Total couronne suédoise
CAD Adjs;English;Canadian dollar adjustments
CAD Adjs;French;Ajustements dollar canadien
CAD Total;English;Canadian dollar total
CAD Total;French;Total dollar canadien
BRL Adjs;English;Brazilian real adjustments
BRL Adjs;French;Ajustements réal brésilien
BRL Total;English;Brazilian real total
BRL Total;French;Total réal brésilien
MXN Adjs;English;Mexican peso adjustments
MXN Adjs;French;Ajustements peso mexicain
MXN Total;English;Mexican peso total
MXN Total;French;Total peso mexicain
JPY Adjs;English;Japanese yen adjustments
JPY Adjs;French;Ajustements yen japonais
JPY Total;English;Japanese yen total
JPY Total;French;Total yen japonais
CNY Adjs;English;Chinese yuan adjustments
CNY Adjs;French;Ajustements yuan chinois
CNY Total;English;Chinese yuan total
CNY Total;French;Total yuan chinois
SGD Adjs;English;Singapore dollar adjustments
SGD Adjs;French;Ajustements dollar de singapour
SGD Total;English;Singapore dollar total
SGD Total;French;Total dollar de singapour
AUD Adjs;English;Australian dollar adjustments
AUD Adjs;French;Ajustements dollar australien
AUD Total;English;Australian dollar total
AUD Total;French;Total dollar australien
!HIERARCHIES=Value
;<Entity Currency>
;<Entity Curr Adjs>
;<Entity Curr Total>
;<Parent Currency>
;<Parent Curr Adjs>
;<Parent Curr Total>
;[Parent]
;[Parent Adjs]
;[Parent Total]
;[Proportion]
;[Elimination]
;[Contribution]
;[Contribution Adjs]
;[Contribution Total]
;[None]
;EUR
;USD
;GBP
;CHF
;SEK
;CAD
;BRL
;MXN
;JPY
;CNY
;SGD
;AUD
;EUR Adjs
;EUR Total
;USD Adjs
;USD Total
;GBP Adjs
;GBP Total
;CHF Adjs
;CHF Total
;SEK Adjs
;SEK Total
;CAD Adjs
;CAD Total
;BRL Adjs
;BRL Total
;MXN Adjs
;MXN Total
;JPY Adjs
;JPY Total
;CNY Adjs
;CNY Total
;SGD Adjs
;SGD Total
;AUD Adjs
;AUD Total
!MEMBERS=Account
AllAccounts;Type=GroupLabel;IsCalculated=True
BalanceSheet;Type=GroupLabel;IsCalculated=True
TotalAssets;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
TotalLiabEquity;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
CurrentAssets;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Cash;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1000;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=CASH
1001;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1002;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1003;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1004;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1005;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1006;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1007;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Receivables;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1100;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=RECE
1101;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1102;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1103;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1104;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1105;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1106;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1107;Type=Asset;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Inventory;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1200;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=INVE
1201;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1202;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1203;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1204;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1205;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
FixedAssets;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Tangible;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1500;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=TANG
1501;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1502;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1503;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1504;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1505;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1506;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1507;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Intangible;Type=Asset;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1600;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=INTA
1601;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1602;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1603;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
1604;Type=Asset;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Liabilities;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Payables;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2000;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=PAYA
2001;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2002;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2003;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2004;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2005;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2006;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2007;Type=Liability;ICP=Yes;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Debt;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2500;Type=Liability;ICP=Restricted;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=DEBT
2501;Type=Liability;ICP=Restricted;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2502;Type=Liability;ICP=Restricted;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2503;Type=Liability;ICP=Restricted;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2504;Type=Liability;ICP=Restricted;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
2505;Type=Liability;ICP=Restricted;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Equity;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
Capital;Type=Liability;IsCalculated=True;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3000;Type=Liability;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements;UD1=CAPI
3001;Type=Liability;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3002;Type=Liability;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3003;Type=Liability;DecimalPlaces=2;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
RetainedEarnings;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3100;Type=BalanceRecurring;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3101;Type=BalanceRecurring;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3102;Type=BalanceRecurring;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
3103;Type=BalanceRecurring;TopC1=TotC1;TopC2=[None];TopC3=[None];TopC4=TotMovements
NetIncome;Type=Income;IsCalculated=True;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
Revenue;Type=Income;IsCalculated=True;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4000;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4001;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4002;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4003;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4004;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4005;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4006;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4007;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4008;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4009;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4010;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
4011;Type=Income;DecimalPlaces=2;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
Expenses;Type=Expense;IsCalculated=True;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
COGS;Type=Expense;IsCalculated=True;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5000;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5001;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5002;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5003;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5004;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5005;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5006;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5007;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5008;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
5009;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
Opex;Type=Expense;IsCalculated=True;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6000;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None];Security=HR;UD2=Payroll
6001;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None];Security=HR;UD2=Payroll
6002;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None];Security=HR;UD2=Payroll
6003;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6004;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6005;Type=Expense;UsesLineItems=True;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6006;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6007;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6008;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6009;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6010;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
6011;Type=Expense;TopC1=TotC1;TopC2=TotProducts;TopC3=TotChannels;TopC4=[None]
CashFlow;Type=Flow;IsCalculated=True
7000;Type=Flow
7001;Type=Flow
7002;Type=Flow
7003;Type=Flow
7004;Type=Flow
7005;Type=Flow
7006;Type=Flow
7007;Type=Flow
Statistics;Type=GroupLabel;IsCalculated=True;IsConsolidated=False
8000;Type=Non-Financial;Security=HR
8001;Type=Non-Financial;Security=HR
8002;Type=Non-Financial;Security=HR
8003;Type=Non-Financial;Security=HR
RateEUR;Type=CurrencyRate;IsConsolidated=False;DecimalPlaces=6
RateUSD;Type=CurrencyRate;IsConsolidated=False;DecimalPlaces=6
RateGBP;Type=CurrencyRate;IsConsolidated=False;DecimalPlaces=6
RateCHF;Type=CurrencyRate;IsConsolidated=False;DecimalPlaces=6
RateSEK;Type=CurrencyRate;IsConsolidated=False;DecimalPlaces=6
RateCAD;Type=CurrencyRate;IsConsolidated=False;DecimalPlaces=6
[Active];Type=System;IsConsolidated=False;Security=Finance;IsSystem=True
[PCON];Type=System;IsConsolidated=False;Security=Finance;IsSystem=True
[POWN];Type=System;IsConsolidated=False;Security=Finance;IsSystem=True
TXT00;Type=Text;IsConsolidated=False
TXT01;Type=Text;IsConsolidated=False
TXT02;Type=Text;IsConsolidated=False
Ratios;Type=GroupLabel;IsCalculated=True;IsConsolidated=False
RAT00;Type=Dynamic;IsCalculated=True;DecimalPlaces=4
RAT01;Type=Dynamic;IsCalculated=True;DecimalPlaces=4
RAT02;Type=Dynamic;IsCalculated=True;DecimalPlaces=4
RAT03;Type=Dynamic;IsCalculated=True;DecimalPlaces=4
RAT04;Type=Dynamic;IsCalculated=True;DecimalPlaces=4
!DESCRIPTIONS=Account
AllAccounts;English;All accounts
AllAccounts;French;Tous les comptes
BalanceSheet;English;Balance sheet
BalanceSheet;French;Bilan
TotalAssets;English;Total assets
TotalAssets;French;Total actif
TotalLiabEquity;English;Total liabilities and equity
TotalLiabEquity;French;Total passif
CurrentAssets;English;Current assets
CurrentAssets;French;Actif circulant
Cash;English;Cash at bank
Cash;French;Trésorerie
1000;English;Cash at bank 1
1000;French;Trésorerie 1
1001;English;Cash at bank 2
1001;French;Trésorerie 2
1002;English;Cash at bank 3
1002;French;Trésorerie 3
1003;English;Cash at bank 4
1003;French;Trésorerie 4
1004;English;Cash at bank 5
1004;French;Trésorerie 5
1005;English;Cash at bank 6
1005;French;Trésorerie 6
1006;English;Cash at bank 7
1006;French;Trésorerie 7
1007;English;Cash at bank 8
1007;French;Trésorerie 8
Receivables;English;Trade receivables
Receivables;French;Créances clients
1100;English;Trade receivables 1
1100;French;Créances clients 1
1101;English;Trade receivables 2
1101;French;Créances clients 2
1102;English;Trade receivables 3
1102;French;Créances clients 3
1103;English;Trade receivables 4
1103;French;Créances clients 4
1104;English;Trade receivables 5
1104;French;Créances clients 5
1105;English;Trade receivables 6
1105;French;Créances clients 6
1106;English;Trade receivables 7
1106;French;Créances clients 7
1107;English;Trade receivables 8
1107;French;Créances clients 8
Inventory;English;Inventory
Inventory;French;Stocks
1200;English;Inventory 1
1200;French;Stocks 1
1201;English;Inventory 2
1201;French;Stocks 2
1202;English;Inventory 3
1202;French;Stocks 3
1203;English;Inventory 4
1203;French;Stocks 4
1204;English;Inventory 5
1204;French;Stocks 5
1205;English;Inventory 6
1205;French;Stocks 6
FixedAssets;English;Fixed assets
FixedAssets;French;Immobilisations
Tangible;English;Tangible assets
Tangible;French;Immobilisations corporelles
1500;English;Tangible assets 1
1500;French;Immobilisations corporelles 1
1501;English;Tangible assets 2
1501;French;Immobilisations corporelles 2
1502;English;Tangible assets 3
1502;French;Immobilisations corporelles 3
1503;English;Tangible assets 4
1503;French;Immobilisations corporelles 4
1504;English;Tangible assets 5
1504;French;Immobilisations corporelles 5
1505;English;Tangible assets 6
1505;French;Immobilisations corporelles 6
1506;English;Tangible assets 7
1506;French;Immobilisations corporelles 7
1507;English;Tangible assets 8
1507;French;Immobilisations corporelles 8
Intangible;English;Intangible assets
Intangible;French;Immobilisations incorporelles
1600;English;Intangible assets 1
1600;French;Immobilisations incorporelles 1
1601;English;Intangible assets 2
1601;French;Immobilisations incorporelles 2
1602;English;Intangible assets 3
1602;French;Immobilisations incorporelles 3
1603;English;Intangible assets 4
1603;French;Immobilisations incorporelles 4
1604;English;Intangible assets 5
1604;French;Immobilisations incorporelles 5
Liabilities;English;Liabilities
Liabilities;French;Dettes
Payables;English;Trade payables
Payables;French;Dettes fournisseurs
2000;English;Trade payables 1
2000;French;Dettes fournisseurs 1
2001;English;Trade payables 2
2001;French;Dettes fournisseurs 2
2002;English;Trade payables 3
2002;French;Dettes fournisseurs 3
2003;English;Trade payables 4
2003;French;Dettes fournisseurs 4
2004;English;Trade payables 5
2004;French;Dettes fournisseurs 5
2005;English;Trade payables 6
2005;French;Dettes fournisseurs 6
2006;English;Trade payables 7
2006;French;Dettes fournisseurs 7
2007;English;Trade payables 8
2007;French;Dettes fournisseurs 8
Debt;English;Borrowings
Debt;French;Emprunts
2500;English;Borrowings 1
2500;French;Emprunts 1
2501;English;Borrowings 2
2501;French;Emprunts 2
2502;English;Borrowings 3
2502;French;Emprunts 3
2503;English;Borrowings 4
2503;French;Emprunts 4
2504;English;Borrowings 5
2504;French;Emprunts 5
2505;English;Borrowings 6
2505;French;Emprunts 6
Equity;English;Equity
Equity;French;Capitaux propres
Capital;English;Share capital
Capital;French;Capital social
3000;English;Share capital 1
3000;French;Capital social 1
3001;English;Share capital 2
3001;French;Capital social 2
3002;English;Share capital 3
3002;French;Capital social 3
3003;English;Share capital 4
3003;French;Capital social 4
RetainedEarnings;English;Retained earnings
RetainedEarnings;French;Report à nouveau
3100;English;Recurring reserve 1
3100;French;Réserve récurrente 1
3101;English;Recurring reserve 2
3101;French;Réserve récurrente 2
3102;English;Recurring reserve 3
3102;French;Réserve récurrente 3
3103;English;Recurring reserve 4
3103;French;Réserve récurrente 4
NetIncome;English;Net income
NetIncome;French;Résultat net
Revenue;English;Revenue
Revenue;French;Chiffre d'affaires
4000;English;Revenue stream 1
4000;French;Produit 1
4001;English;Revenue stream 2
4001;French;Produit 2
4002;English;Revenue stream 3
4002;French;Produit 3
4003;English;Revenue stream 4
4003;French;Produit 4
4004;English;Revenue stream 5
4004;French;Produit 5
4005;English;Revenue stream 6
4005;French;Produit 6
4006;English;Revenue stream 7
4006;French;Produit 7
4007;English;Revenue stream 8
4007;French;Produit 8
4008;English;Revenue stream 9
4008;French;Produit 9
4009;English;Revenue stream 10
4009;French;Produit 10
4010;English;Revenue stream 11
4010;French;Produit 11
4011;English;Revenue stream 12
4011;French;Produit 12
Expenses;English;Expenses
Expenses;French;Charges
COGS;English;Cost of goods sold
COGS;French;Coût des ventes
5000;English;Cost of sales 1
5000;French;Coût 1
5001;English;Cost of sales 2
5001;French;Coût 2
5002;English;Cost of sales 3
5002;French;Coût 3
5003;English;Cost of sales 4
5003;French;Coût 4
5004;English;Cost of sales 5
5004;French;Coût 5
5005;English;Cost of sales 6
5005;French;Coût 6
5006;English;Cost of sales 7
5006;French;Coût 7
5007;English;Cost of sales 8
5007;French;Coût 8
5008;English;Cost of sales 9
5008;French;Coût 9
5009;English;Cost of sales 10
5009;French;Coût 10
Opex;English;Operating expenses
Opex;French;Charges d'exploitation
6000;English;Operating expense 1
6000;French;Charge d'exploitation 1
6001;English;Operating expense 2
6001;French;Charge d'exploitation 2
6002;English;Operating expense 3
6002;French;Charge d'exploitation 3
6003;English;Operating expense 4
6003;French;Charge d'exploitation 4
6004;English;Operating expense 5
6004;French;Charge d'exploitation 5
6005;English;Operating expense 6
6005;French;Charge d'exploitation 6
6006;English;Operating expense 7
6006;French;Charge d'exploitation 7
6007;English;Operating expense 8
6007;French;Charge d'exploitation 8
6008;English;Operating expense 9
6008;French;Charge d'exploitation 9
6009;English;Operating expense 10
6009;French;Charge d'exploitation 10
6010;English;Operating expense 11
6010;French;Charge d'exploitation 11
6011;English;Operating expense 12
6011;French;Charge d'exploitation 12
CashFlow;English;Cash flow
CashFlow;French;Flux de trésorerie
7000;English;Cash flow item 1
7000;French;Flux 1
7001;English;Cash flow item 2
7001;French;Flux 2
7002;English;Cash flow item 3
7002;French;Flux 3
7003;English;Cash flow item 4
7003;French;Flux 4
7004;English;Cash flow item 5
7004;French;Flux 5
7005;English;Cash flow item 6
7005;French;Flux 6
7006;English;Cash flow item 7
7006;French;Flux 7
7007;English;Cash flow item 8
7007;French;Flux 8
Statistics;English;Statistics
Statistics;French;Statistiques
8000;English;Headcount
8000;French;Effectif
8001;English;FTE
8001;French;ETP
8002;English;Floor space
8002;French;Surface
8003;English;Customers
8003;French;Clients
RateEUR;English;Rate EUR
RateEUR;French;Taux EUR
RateUSD;English;Rate USD
RateUSD;French;Taux USD
RateGBP;English;Rate GBP
RateGBP;French;Taux GBP
RateCHF;English;Rate CHF
RateCHF;French;Taux CHF
RateSEK;English;Rate SEK
RateSEK;French;Taux SEK
RateCAD;English;Rate CAD
RateCAD;French;Taux CAD
[Active];English;Active flag
[Active];French;Indicateur actif
[PCON];English;Percent consolidation
[PCON];French;Pourcentage de consolidation
[POWN];English;Percent ownership
[POWN];French;Pourcentage de détention
TXT00;English;Comment
TXT00;French;Commentaire
TXT01;English;Auditor note
TXT01;French;Note d'audit
TXT02;English;Contact
TXT02;French;Contact
Ratios;English;Ratios
Ratios;French;Ratios
RAT00;English;Gross margin %
RAT00;French;Marge brute %
RAT01;English;EBIT margin %
RAT01;French;Marge EBIT %
RAT02;English;Current ratio
RAT02;French;Ratio de liquidité
RAT03;English;DSO
RAT03;French;Délai clients
RAT04;English;Gearing
RAT04;French;Endettement
!HIERARCHIES=Account
;AllAccounts
AllAccounts;BalanceSheet
BalanceSheet;TotalAssets
BalanceSheet;TotalLiabEquity
TotalAssets;CurrentAssets
CurrentAssets;Cash
Cash;1000
Cash;1001
Cash;1002
Cash;1003
Cash;1004
Cash;1005
Cash;1006
Cash;1007
CurrentAssets;Receivables
Receivables;1100
Receivables;1101
Receivables;1102
Receivables;1103
Receivables;1104
Receivables;1105
Receivables;1106
Receivables;1107
CurrentAssets;Inventory
Inventory;1200
Inventory;1201
Inventory;1202
Inventory;1203
Inventory;1204
Inventory;1205
TotalAssets;FixedAssets
FixedAssets;Tangible
Tangible;1500
Tangible;1501
Tangible;1502
Tangible;1503
Tangible;1504
Tangible;1505
Tangible;1506
Tangible;1507
FixedAssets;Intangible
Intangible;1600
Intangible;1601
Intangible;1602
Intangible;1603
Intangible;1604
TotalLiabEquity;Liabilities
Liabilities;Payables
Payables;2000
Payables;2001
Payables;2002
Payables;2003
Payables;2004
Payables;2005
Payables;2006
Payables;2007
Liabilities;Debt
Debt;2500
Debt;2501
Debt;2502
Debt;2503
Debt;2504
Debt;2505
TotalLiabEquity;Equity
Equity;Capital
Capital;3000
Capital;3001
Capital;3002
Capital;3003
Equity;RetainedEarnings
Equity;3100
Equity;3101
Equity;3102
Equity;3103
AllAccounts;NetIncome
NetIncome;Revenue
Revenue;4000
Revenue;4001
Revenue;4002
Revenue;4003
Revenue;4004
Revenue;4005
Revenue;4006
Revenue;4007
Revenue;4008
Revenue;4009
Revenue;4010
Revenue;4011
NetIncome;Expenses
Expenses;COGS
COGS;5000
COGS;5001
COGS;5002
COGS;5003
COGS;5004
COGS;5005
COGS;5006
COGS;5007
COGS;5008
COGS;5009
Expenses;Opex
Opex;6000
Opex;6001
Opex;6002
Opex;6003
Opex;6004
Opex;6005
Opex;6006
Opex;6007
Opex;6008
Opex;6009
Opex;6010
Opex;6011
AllAccounts;CashFlow
CashFlow;7000
CashFlow;7001
CashFlow;7002
CashFlow;7003
CashFlow;7004
CashFlow;7005
CashFlow;7006
CashFlow;7007
AllAccounts;Statistics
Statistics;8000
Statistics;8001
Statistics;8002
Statistics;8003
Statistics;RateEUR
Statistics;RateUSD
Statistics;RateGBP
Statistics;RateCHF
Statistics;RateSEK
Statistics;RateCAD
Statistics;[Active]
Statistics;[PCON]
Statistics;[POWN]
Statistics;TXT00
Statistics;TXT01
Statistics;TXT02
AllAccounts;Ratios
Ratios;RAT00
Ratios;RAT01
Ratios;RAT02
Ratios;RAT03
Ratios;RAT04
!MEMBERS=ICP
[ICP Top];IsSystem=True
[ICP None];IsSystem=True
[ICP Entities];IsSystem=True
FR01
DE01
UK01
US01
US02
CN01
JP01
BR01
!DESCRIPTIONS=ICP
[ICP Top];English;All intercompany partners
[ICP Top];French;Tous les partenaires
[ICP None];English;No intercompany partner
[ICP None];French;Aucun partenaire
[ICP Entities];English;Intercompany entities
[ICP Entities];French;Entités intercompagnies
FR01;English;Partner FR01
FR01;French;Partenaire FR01
DE01;English;Partner DE01
DE01;French;Partenaire DE01
UK01;English;Partner UK01
UK01;French;Partenaire UK01
US01;English;Partner US01
US01;French;Partenaire US01
US02;English;Partner US02
US02;French;Partenaire US02
CN01;English;Partner CN01
CN01;French;Partenaire CN01
JP01;English;Partner JP01
JP01;French;Partenaire JP01
BR01;English;Partner BR01
BR01;French;Partenaire BR01
!HIERARCHIES=ICP
;[ICP Top]
;[ICP None]
[ICP Top];[ICP Entities]
[ICP Entities];FR01
[ICP Entities];DE01
[ICP Entities];UK01
[ICP Entities];US01
[ICP Entities];US02
[ICP Entities];CN01
[ICP Entities];JP01
[ICP Entities];BR01
!MEMBERS=Custom1
TotC1
[None];IsSystem=True
C1Currencies
EUR;IsCurrency=True
USD;IsCurrency=True
GBP;IsCurrency=True
JPY;IsCurrency=True
C1Methods
Holding;IsConsolMethod=True
Global;IsConsolMethod=True
Proportional;IsConsolMethod=True
Equity;IsConsolMethod=True
!DESCRIPTIONS=Custom1
TotC1;English;All Custom1
TotC1;French;Tout Custom1
[None];English;None
[None];French;Aucun
C1Currencies;English;Currencies
C1Currencies;French;Devises
EUR;English;EUR currency
EUR;French;Devise EUR
USD;English;USD currency
USD;French;Devise USD
GBP;English;GBP currency
GBP;French;Devise GBP
JPY;English;JPY currency
JPY;French;Devise JPY
C1Methods;English;Consolidation methods
C1Methods;French;Méthodes de consolidation
Holding;English;Holding company
Holding;French;Société mère
Global;English;Full consolidation
Global;French;Intégration globale
Proportional;English;Proportional consolidation
Proportional;French;Intégration proportionnelle
Equity;English;Equity method
Equity;French;Mise en équivalence
!HIERARCHIES=Custom1
;TotC1
TotC1;[None]
TotC1;C1Currencies
C1Currencies;EUR
C1Currencies;USD
C1Currencies;GBP
C1Currencies;JPY
TotC1;C1Methods
C1Methods;Holding
C1Methods;Global
C1Methods;Proportional
C1Methods;Equity
!MEMBERS=Custom2
TotProducts
Hardware
Servers;UD1=HA
Storage;UD1=HA
Network;UD1=HA
Software
Licences;UD1=SO
Subscriptions;UD1=SO
Support
Maintenance;UD1=SU
Consulting;UD1=SU
Training;UD1=SU
[None];IsSystem=True
!DESCRIPTIONS=Custom2
TotProducts;English;All products
TotProducts;French;Tous les produits
Hardware;English;Hardware
Hardware;French;Matériel
Servers;English;Servers
Servers;French;Servers (fr)
Storage;English;Storage
Storage;French;Storage (fr)
Network;English;Network
Network;French;Network (fr)
Software;English;Software
Software;French;Logiciel
Licences;English;Licences
Licences;French;Licences (fr)
Subscriptions;English;Subscriptions
Subscriptions;French;Subscriptions (fr)
Support;English;Support
Support;French;Assistance
Maintenance;English;Maintenance
Maintenance;French;Maintenance (fr)
Consulting;English;Consulting
Consulting;French;Consulting (fr)
Training;English;Training
Training;French;Training (fr)
[None];English;None
[None];French;Aucun
!HIERARCHIES=Custom2
;TotProducts
TotProducts;Hardware
Hardware;Servers
Hardware;Storage
Hardware;Network
TotProducts;Software
Software;Licences
Software;Subscriptions
TotProducts;Support
Support;Maintenance
Support;Consulting
Support;Training
;[None]
!MEMBERS=Custom3
TotChannels
Retail
Wholesale
Online
Partners
[None];IsSystem=True
!DESCRIPTIONS=Custom3
TotChannels;English;All channels
TotChannels;French;Tous les canaux
Retail;English;Retail
Retail;French;Détail
Wholesale;English;Wholesale
Wholesale;French;Gros
Online;English;Online
Online;French;En ligne
Partners;English;Partners
Partners;French;Partenaires
[None];English;None
[None];French;Aucun
!HIERARCHIES=Custom3
;TotChannels
TotChannels;Retail
TotChannels;Wholesale
TotChannels;Online
TotChannels;Partners
;[None]
!MEMBERS=Custom4
TotMovements
Opening
Additions
Disposals
FXDiff
Closing
[None];IsSystem=True
!DESCRIPTIONS=Custom4
TotMovements;English;All movements
TotMovements;French;Tous les mouvements
Opening;English;Opening balance
Opening;French;Solde d'ouverture
Additions;English;Additions
Additions;French;Augmentations
Disposals;English;Disposals
Disposals;French;Cessions
FXDiff;English;Exchange differences
FXDiff;French;Écarts de change
Closing;English;Closing balance
Closing;French;Solde de clôture
[None];English;None
[None];French;Aucun
!HIERARCHIES=Custom4
;TotMovements
TotMovements;Opening
TotMovements;Additions
TotMovements;Disposals
TotMovements;FXDiff
TotMovements;Closing
;[None]
