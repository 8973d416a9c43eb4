#!/usr/bin/python3
"""Writes Demo_ledger_2026.dat, the 2026 ledger of the demo application (periods 01 to 12).

Every legal entity of Demo.app gets revenue by product and channel, costs, operating
expenses and a closing balance sheet, year to date, in <Entity Currency>. The numbers are
made up but repeatable (a fixed seed). Run it from anywhere; it writes beside itself.
"""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
CRLF = "\r\n"

LEGAL = ["FR01", "FR02", "FR03", "FR04", "DE01", "DE02", "DE03", "UK01", "UK02", "UK03",
         "SE01", "SE02", "NO01", "DK01", "CH01", "CH02", "IT01", "IT02", "ES01", "ES02",
         "US01", "US02", "US03", "US04", "US05", "CA01", "CA02", "BR01", "BR02", "MX01", "MX02",
         "JP01", "JP02", "CN01", "CN02", "CN03", "SG01", "AU01", "AU02"]
PRODUCTS = ["Servers", "Storage", "Licences", "Subscriptions", "Maintenance", "Consulting"]
CHANNELS = ["Retail", "Wholesale", "Online", "Partners"]


def main():
    rng = random.Random(2026)
    lines = ["' The 2026 ledger of the demo application, written by make_ledger.py.",
             "' Year to date, in each entity's own currency (<Entity Currency>).", "!DATA"]
    for entity in LEGAL:
        scale = rng.choice([1, 2, 5, 10])
        for month in range(1, 13):
            period = "%02d" % month
            pov = "Actual;2026;%s;YTD;%s;<Entity Currency>" % (period, entity)
            for product in rng.sample(PRODUCTS, 2):
                channel = rng.choice(CHANNELS)
                amount = round(rng.uniform(800, 1200) * scale * month, 2)
                lines.append("%s;%d;[ICP None];[None];%s;%s;[None];%s"
                             % (pov, 4000 + rng.randrange(12), product, channel, amount))
            amount = round(rng.uniform(300, 600) * scale * month, 2)
            lines.append("%s;%d;[ICP None];[None];%s;Retail;[None];%s"
                         % (pov, 5000 + rng.randrange(10), rng.choice(PRODUCTS), amount))
            amount = round(rng.uniform(100, 300) * scale * month, 2)
            lines.append("%s;%d;[ICP None];[None];[None];[None];[None];%s"
                         % (pov, 6003 + rng.randrange(9), amount))
            for account in ("1000", "1500", "2000", "3000"):
                amount = round(rng.uniform(5000, 9000) * scale, 2)
                lines.append("%s;%s;[ICP None];[None];[None];[None];Closing;%s"
                             % (pov, account, amount))
    with open(os.path.join(HERE, "Demo_ledger_2026.dat"), "w", encoding="utf-8", newline="") as f:
        f.write(CRLF.join(lines) + CRLF)


if __name__ == "__main__":
    main()
