Checksum on
answer next bad-check count 2
send A0\x0d#5 \\
expect A005 within 100
expect nothing within 0
wait 0
mark Schritt #2
records 1 2 3 4 5 6
records clear
port 3
quit
