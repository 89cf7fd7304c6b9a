// Start-up arrives with the polling loop.
int main() { return 0; }
