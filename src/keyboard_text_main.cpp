// Writes the "Keyboard commands" help file from the program's own key tables; the
// build runs it, so the file always matches the program.
#include "ui/commands/keyboard_help.h"
#include "ui/editor/editor_menu.h"

#include <cstdio>
#include <fstream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << bivora::KeyboardHelpText(bivora::MenuKeysSection("Viewer and editor window", bivora::EditorMenuTable()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
