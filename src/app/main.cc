// The process entry of orvprint. It reads no arguments and always ends with
// exit code 0.
int main() { return 0; }
