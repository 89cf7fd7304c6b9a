# Tapix plays the cash register; the dispenser under test is on the other end.
#
#   tapix 1,9600,E,8,1 --script=dispenser-under-test.tps --report=kasse.xml
#
# Tapix ends by itself: exit code 0 when every expectation was met, 3 at the
# first that was not. Adjust the records below to what your dispenser has
# poured.

# Release waiter 12 and log him on; the dispenser acknowledges both.
A 12
expect R within 5000
W 12 0
expect R within 5000

# Fetch the dispense records until the dispenser has none left (zeros). Tapix
# acknowledges each record itself ("autom. Antwort" is on).
E
expect 120345007 within 5000
E
expect 000000000 within 5000

# The waiter logs off again.
W 12 1
expect R within 5000
