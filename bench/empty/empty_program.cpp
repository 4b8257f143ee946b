// The floor for starting and ending a process: a C++ program that does nothing.
int main() { return 0; }
