#include "app/form1.h"

// Display options, file types and word filter commands: filled in with those commands.

namespace corvane {

void Form1::DisplayEXT_Click() {}
void Form1::Enumerate_Click() {}
void Form1::FileType_Click() {}
void Form1::FilterMenu_Click() {}
void Form1::SelectWord_Click() {}
void Form1::ListOnly_Click() {}
void Form1::Exclude_Click() {}

} // namespace corvane
