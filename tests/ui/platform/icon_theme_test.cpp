#include "ui/platform/icon_theme.h"

#include "../../shell/temp_tree.h"

#include <QIcon>

#include <gtest/gtest.h>

namespace bivora {
namespace {

// Qt's icon theme is process-wide: each case sets its own and the test puts the
// original back.
class IconThemeTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QIcon::setThemeSearchPaths(m_savedPaths);
        QIcon::setThemeName(m_savedName);
    }

    test::TempTree tree;

private:
    QStringList m_savedPaths = QIcon::themeSearchPaths();
    QString m_savedName = QIcon::themeName();
};

TEST_F(IconThemeTest, AFallbackOnlyWhereTheDesktopNamesNoInstalledFullTheme)
{
    tree.MakeFile("icons/First/index.theme", "[Icon Theme]\n");
    tree.MakeFile("icons/Second/index.theme", "[Icon Theme]\n");
    tree.MakeFile("icons/Named/index.theme", "[Icon Theme]\n");
    tree.MakeFile("icons/hicolor/index.theme", "[Icon Theme]\n");
    QIcon::setThemeSearchPaths({QStringLiteral(":/icons"), QString::fromStdString(tree.Path("icons"))});

    struct Case {
        const char* desktopTheme;
        std::vector<std::string> candidates;
        const char* expected;
    };
    const Case cases[] = {
        {"hicolor", {"Missing", "Second", "First"}, "Second"},
        {"", {"First"}, "First"},
        {"Named", {"First"}, "Named"},
        {"NotInstalled", {"First"}, "First"},
        {"hicolor", {"Missing"}, "hicolor"},
    };
    for (const Case& c : cases) {
        QIcon::setThemeName(QString::fromLatin1(c.desktopTheme));
        const QString chosen = ChooseIconTheme(c.candidates);
        EXPECT_EQ(chosen, QString::fromLatin1(c.expected)) << "desktop theme '" << c.desktopTheme << "'";
        EXPECT_EQ(QIcon::themeName(), chosen);
    }
}

} // namespace
} // namespace bivora
