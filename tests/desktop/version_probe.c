/* An executable whose version resource (or none) the version label tests read. */
int main(void) { return 0; }
