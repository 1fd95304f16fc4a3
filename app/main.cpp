// PLACEHOLDER: the main-window helper replaces this file.
int main() { return 0; }
