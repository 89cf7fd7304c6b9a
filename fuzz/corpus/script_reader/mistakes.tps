expect A0\q5
wait 86400001
expect R within
