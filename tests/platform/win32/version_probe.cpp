// Carries the program's version resource and icon until the Windows front
// end does; the version test reads them back from this file.
int main() { return 0; }
