#include "standins/tarvik/desktop_shell.h"
#include "standins/tarvik/runner.h"

#include "tsql/backend.h"

#include <QApplication>

#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    using namespace standins::tarvik;
    QApplication app(argc, argv);
    const auto args = QApplication::arguments();
    std::string db, plugin;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--db")
            db = args[i + 1].toStdString();
        else if (args[i] == "--plugin")
            plugin = args[i + 1].toStdString();
    }
    if (db.empty()) {
        std::cerr << "usage: tarvik-shell --db FILE.db [--plugin LIB]\n";
        return 2;
    }
    try {
        if (!std::filesystem::is_regular_file(db))
            throw std::runtime_error("The host database " + db + " does not exist.");
        tsql::registerEmbeddedBackend();
        auto connection = platform::db::connect(hostDatabaseDescription(db));
        std::unique_ptr<PluginLibrary> library;
        if (!plugin.empty()) library = std::make_unique<PluginLibrary>(plugin);
        QtFrontEnd frontEnd;
        DesktopShell shell(*connection, frontEnd, library.get());
        frontEnd = QtFrontEnd(&shell);
        shell.resize(1100, 600);
        shell.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::cerr << "tarvik-shell: " << e.what() << '\n';
        return 1;
    }
}
