// TLVP: the post-processor's entry.
int main() { return 1; }
