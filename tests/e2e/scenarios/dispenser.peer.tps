# The dispenser for examples/dispenser-under-test.tps: one record poured.
records 12 345 7
expect A012 within 60000
expect W0120
expect E
expect R
expect E
expect R
expect W0121
