#include "driver/Protocol.h"

int main() { return RunEngine(); }
