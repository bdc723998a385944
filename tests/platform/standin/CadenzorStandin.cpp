// A program file that only carries a version resource: the tests place it
// where a notation program would be installed.
int main() { return 0; }
