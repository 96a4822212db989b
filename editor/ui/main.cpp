// lumavox: the desktop editor.
//
//   lumavox [DOC.glm] [--home DIR] [--screenshot OUT.png]
//
// With --screenshot the main window is drawn with the document open (any Qt
// platform works, offscreen included) into a PNG, and the program ends. Nobody
// is there to answer: a message (a document or a font that cannot be read)
// goes to standard error, no picture is written and the status is 1.
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "app/Application.h"
#include "embedded/EmbeddedResources.h"
#include "ui/bridge/QtBridge.h"
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

    // The application object comes first: defaults, language layer, gateway
    // binding; files earlier versions kept beside the program move over first.
    ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(home);
    environment.adoptEarlierFiles(std::cerr);
    EditorApplication application(std::move(environment), embeddedResources());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("LUMAVOX"));
    application.InitInstance();

    if (screenshot) ui::setUnattended(true);

    ui::EditorContext context;
    context.environment = application.environment();
    context.language = &application.language();
    context.store = &application.settingsStore();
    context.settings = &application.settings();
    context.recent = &application.recentFiles();
    context.resources = &application.resources();
    context.defaultFontName = application.settingsStore().DefaultFontName();
    context.gprs = &application.gprsMonitor();

    ui::CMainFrame frame(context);
    frame.signLink().setGprsDevices(context.gprs);
    // The command line names a document, else the program starts with a new one.
    if (document) {
        frame.openDocument(QString::fromStdString(*document));
    } else {
        const DefaultSignSize size = application.settingsStore().LoadDefaultSignSize();
        frame.newDocument(size.width, size.height, size.colourType);
    }
    int status = 0;
    if (screenshot) {
        frame.resize(1280, 800);
        frame.show();
        QTimer::singleShot(200, &frame, [&] {
            const QPixmap picture = frame.grab();
            if (ui::unattendedMessages() > 0) {
                status = 1;
            } else if (!picture.save(QString::fromStdString(*screenshot), "PNG")) {
                std::fprintf(stderr, "lumavox: cannot write %s\n", screenshot->c_str());
                status = 1;
            }
            // Nothing is asked when the picture is taken: the window just ends.
            for (ui::CChildFrame* child : frame.children())
                delete child;
            app.quit();
        });
        app.exec();
    } else {
        frame.showMaximized();
        // In GPRS mode the devices' server runs from the moment the window shows.
        application.StartGprsMonitor();
        frame.showGprsStartError();
        status = app.exec();
    }
    std::string error;
    if (!application.ExitInstance(error)) std::fprintf(stderr, "lumavox: %s\n", error.c_str());
    return status;
}
