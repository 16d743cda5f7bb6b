// The smallest program of a Windows build: the test scripts run it first to learn whether this machine can run that build at all.
int main() { return 42; }
