# A tour of the faults a cash register must survive. Tapix plays the
# dispenser, with check characters on:
#
#   tapix --pty=/tmp/isb --script=fault-tour.tps --report=faults.xml
#
# The cash register under test on /tmp/isb is expected to answer each fault
# as the protocol wants: a record with a wrong check character or one cut
# short is not acknowledged, and the query is repeated.

Checksum on
records 12 345 7  12 345 7

# Each fault is queued before the message it is for can arrive: the cash
# register may send its next query right behind its "R", before the
# "expect R" has seen the "R".

# A record with a wrong check character: the cash register asks again and
# gets the record again, right this time, which it acknowledges.
answer next bad-check
expect E within 30000
expect E within 5000

# A record cut one digit short (the cash register sees a time-out), then the
# whole record of zeros.
answer next short
expect R
expect E within 5000
expect E within 5000

# An answer that comes late, and one that never comes: the cash register
# repeats the release after its own time-out.
answer next delay 500
expect R
expect A012 within 5000
answer next none
expect A012 within 5000
expect A012 within 5000
