// A large document for the send benchmarks: the demonstration document with
// its main text repeated into ten text files of about 60 KB each.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "content/Document.h"
#include "content/TextBody.h"

namespace lumavox::bench {

inline WorkArea largeDocument() {
    std::ostringstream out, err;
    std::string path = "/tmp/lumavox-bench-send-all.glm";
    runCli({"demo", path}, out, err);
    WorkArea work = openDocument(path, {}).work;
    TextFile main = *work.findFile("Main");
    std::vector<TextItem> unit(main.items.begin(), main.items.end() - 1);
    std::vector<TextFile> files;
    for (int i = 0; i < 10; ++i) {
        TextFile f = main;
        f.name = "BIG" + std::to_string(i);
        f.items.assign(main.items.end() - 1, main.items.end());
        std::vector<uint8_t> body;
        while (true) {
            std::vector<TextItem> more = f.items;
            more.insert(more.end() - 1, unit.begin(), unit.end());
            TextFile g = f;
            g.items = more;
            body.clear();
            encodeTextBody(g, work, SystemClock::instance(), body);
            if (body.size() > 60000) break;
            f = g;
        }
        files.push_back(f);
    }
    work.textFiles = files;
    return work;
}

}  // namespace lumavox::bench
