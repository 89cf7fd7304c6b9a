# The cash register for examples/cash-register-under-test.tps: it logs
# waiter 5 on until the dispenser accepts, then fetches records until zeros.
W 5 0
expect F within 60000
W 5 0
expect R
E
expect 120345007
E
expect 120346007
E
expect 000000000
