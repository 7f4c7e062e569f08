// Linked with one layer taken whole: the link fails when that layer calls a layer it does not use.
int main() {
    return 0;
}
