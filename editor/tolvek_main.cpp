#include "editor/tolvek_app.h"

int main(int argc, char** argv) { return tlv::RunTolvek(argc, argv); }
