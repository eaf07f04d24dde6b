#include "app/form1.h"

// Text document, web page and printing: filled in with the output commands.

namespace corvane {

void Form1::CreateTXT_Click() {}
void Form1::CreateHTM_Click() {}
void Form1::PrintList_Click() {}

} // namespace corvane
