// lumavox: the desktop editor.
//
//   lumavox [DOC.glm] [--home DIR] [--screenshot OUT.png]
//
// With --screenshot the main window is drawn with the document open (any Qt
// platform works, offscreen included) into a PNG, and the program ends.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>

#include "app/LanguageManager.h"
#include "app/Settings.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/EditorContext.h"
#include "ui/frame/MainFrame.h"

int main(int argc, char** argv) {
    using namespace lumavox;
    std::optional<std::string> home;
    std::optional<std::string> screenshot;
    std::optional<std::string> document;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--home" || a == "--screenshot") && i + 1 < argc) {
            (a == "--home" ? home : screenshot) = argv[++i];
        } else if (a == "--help" || a == "-h") {
            std::puts("usage: lumavox [DOC.glm] [--home DIR] [--screenshot OUT.png]");
            return 0;
        } else if (!a.empty() && a[0] != '-') {
            document = a;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("LUMAVOX"));

    ui::EditorContext context;
    context.programDir = resolveProgramDir(home);
    LanguageManager language(context.programDir);
    language.startUp();
    SettingsStore store(context.programDir, userStorePath());
    Settings settings = store.LoadSettings();
    context.language = &language;
    context.store = &store;
    context.settings = &settings;
    context.defaultFontName = store.DefaultFontName();

    ui::CMainFrame frame(context);
    if (document) {
        frame.openDocument(QString::fromStdString(*document));
    } else {
        const DefaultSignSize size = store.LoadDefaultSignSize();
        frame.newDocument(size.width, size.height, size.colourType);
    }
    if (screenshot) {
        frame.resize(1280, 800);
        frame.show();
        int status = 0;
        QTimer::singleShot(200, &frame, [&] {
            if (!frame.grab().save(QString::fromStdString(*screenshot), "PNG")) {
                std::fprintf(stderr, "lumavox: cannot write %s\n", screenshot->c_str());
                status = 1;
            }
            // Nothing is asked when the picture is taken: the window just ends.
            for (ui::CChildFrame* child : frame.children())
                delete child;
            app.quit();
        });
        app.exec();
        return status;
    }
    frame.showMaximized();
    const int status = app.exec();
    std::string error;
    if (!store.SaveSettings(settings, error)) std::fprintf(stderr, "lumavox: %s\n", error.c_str());
    return status;
}
