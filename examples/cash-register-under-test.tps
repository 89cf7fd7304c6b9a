# Tapix plays the dispenser; the cash register under test is on the other end.
#
#   tapix --pty=/tmp/isb --script=cash-register-under-test.tps --report=isb.xml
#
# then start the cash register on /tmp/isb (or give Tapix the real port,
# "tapix 1,9600,E,8,1 --script=…"). Tapix ends by itself: exit code 0 when
# every expectation was met, 3 at the first that was not.

# The cash register logs waiter 5 on. The dispenser refuses it once ...
answer next F
expect W0050 within 30000
# ... so the cash register must try again, and is accepted this time.
expect W0050 within 5000

# Two dispense records wait for the cash register's record queries; the
# third query finds none and gets zeros.
records 12 345 7  12 346 7
expect E within 10000
expect R               # the cash register acknowledges each record
expect E within 10000
expect R
expect E within 10000
expect R
mark Kasse hat alle Datensaetze abgeholt
