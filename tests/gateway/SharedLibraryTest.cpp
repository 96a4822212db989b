// libGprslink.so as a host program uses it: loaded at run time, its exports
// bound by name, a DTU simulator connecting to it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <filesystem>
#include <set>
#include <thread>

#include "GatewayTestSupport.h"
#include "Gprslink.h"
#include "support/DynamicSymbols.h"

using namespace lumavox::gwtest;

namespace {

const char* const kExports[] = {
    "DTU_AddCOM",
    "DTU_AddNetServer",
    "DTU_GetNewConnectedClient",
    "DTU_Delete",
    "DTU_Init",
    "DTU_Uninit",
    "DTU_SendData",
    "DTU_ReceiveData",
    "DTU_GetReceiveDataCount",
    "DTU_IsClientAvailable",
    "DTU_GetClientInfo",
    "DTU_SetReceiveDataTimeout",
    "DTU_AddTransferDes",
    "DTU_DelTransferDes",
    "DTU_ClearTransferDes",
    "DTU_TransferDesDisTm",
    "DTU_SendDataEx",
    "DTU_SendStateData",
    "DTU_ReceiveStateData",
    "DTU_Reset",
    "DTU_Disconnect",
    "DTU_StopIO",
    "DTU_StartIO",
    "DTU_EnterConfig",
    "DTU_ExitConfig",
    "DTU_ConfigRead",
    "DTU_ConfigWrite",
    "DTU_GetAllConfig",
    "DTU_GetConfig",
};

// The entry points a host binds, as the editor does.
struct Binding {
    void* lib = nullptr;
    decltype(&DTU_AddNetServer) addServer = nullptr;
    decltype(&DTU_Init) init = nullptr;
    decltype(&DTU_Uninit) uninit = nullptr;
    decltype(&DTU_Delete) del = nullptr;
    decltype(&DTU_GetNewConnectedClient) newClient = nullptr;
    decltype(&DTU_GetClientInfo) clientInfo = nullptr;
    decltype(&DTU_IsClientAvailable) available = nullptr;
    decltype(&DTU_SendData) send = nullptr;
    decltype(&DTU_ReceiveData) receive = nullptr;
    decltype(&DTU_GetReceiveDataCount) count = nullptr;
    decltype(&DTU_SendDataEx) sendEx = nullptr;

    Binding() {
        lib = ::dlopen(GPRSLINK_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!lib) return;
        bind(addServer, "DTU_AddNetServer");
        bind(init, "DTU_Init");
        bind(uninit, "DTU_Uninit");
        bind(del, "DTU_Delete");
        bind(newClient, "DTU_GetNewConnectedClient");
        bind(clientInfo, "DTU_GetClientInfo");
        bind(available, "DTU_IsClientAvailable");
        bind(send, "DTU_SendData");
        bind(receive, "DTU_ReceiveData");
        bind(count, "DTU_GetReceiveDataCount");
        bind(sendEx, "DTU_SendDataEx");
    }
    ~Binding() {
        if (lib) ::dlclose(lib);
    }
    template <class F>
    void bind(F& f, const char* name) {
        f = reinterpret_cast<F>(::dlsym(lib, name));
    }
    DTU_HANDLE waitClient(DTU_HANDLE server) {
        DTU_HANDLE c = nullptr;
        waitFor([&] { return (c = newClient(server)) != nullptr; });
        return c;
    }
};

}  // namespace

const std::string kVersionNode = "GPRSLINK_" + std::to_string(GPRSLINK_VERSION_MAJOR);

TEST(SharedLibrary, ExportsExactlyTheDtuFunctionsAndTheVersionQuery) {
    void* lib = ::dlopen(GPRSLINK_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    for (const char* name : kExports)
        EXPECT_NE(::dlsym(lib, name), nullptr) << name;
    // Nothing of the C++ inside is visible.
    EXPECT_EQ(::dlsym(lib, "_ZN7lumavox7gateway5nowMsEv"), nullptr);
    ::dlclose(lib);

    auto symbols = lumavox::test::readDynamicSymbols(GPRSLINK_PATH);
    std::set<std::string> expected(std::begin(kExports), std::end(kExports));
    expected.insert("DTU_GetLibraryVersion");
    ASSERT_EQ(expected.size(), 30u);
    std::set<std::string> defined;
    for (const auto& [name, version] : symbols.defined) {
        defined.insert(name);
        EXPECT_EQ(version, kVersionNode) << name;
    }
    EXPECT_EQ(defined, expected);
    EXPECT_EQ(symbols.versionNodes, std::set<std::string>{kVersionNode});
}

// The file carries its major version in its name and SONAME; hosts that load
// the plain name reach it through a link and find the version they expect.
TEST(SharedLibrary, VersionedFileBehindThePlainName) {
    const std::string major = std::to_string(GPRSLINK_VERSION_MAJOR);
    EXPECT_EQ(lumavox::test::readDynamicSymbols(GPRSLINK_FILE).soname, "libGprslink.so." + major);
    EXPECT_EQ(std::filesystem::path(GPRSLINK_FILE).filename(), "libGprslink.so." + major);
    ASSERT_TRUE(std::filesystem::is_symlink(GPRSLINK_PATH));
    EXPECT_EQ(std::filesystem::canonical(GPRSLINK_PATH), std::filesystem::canonical(GPRSLINK_FILE));

    void* lib = ::dlopen(GPRSLINK_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    auto version = reinterpret_cast<decltype(&DTU_GetLibraryVersion)>(
        ::dlvsym(lib, "DTU_GetLibraryVersion", kVersionNode.c_str()));
    ASSERT_NE(version, nullptr);
    const int v = version();
    EXPECT_EQ(v >> 16, GPRSLINK_VERSION_MAJOR);
    EXPECT_EQ(v, GPRSLINK_VERSION);
    ::dlclose(lib);
}

TEST(SharedLibrary, DtusimIdentifiesAndEchoesThroughTheLoadedLibrary) {
    Binding gw;
    ASSERT_NE(gw.lib, nullptr) << ::dlerror();
    ASSERT_TRUE(gw.addServer && gw.init && gw.newClient && gw.send && gw.receive && gw.count);
    const int port = freeTcpPort();
    DTU_HANDLE server = gw.addServer(nullptr, port, "pw");
    ASSERT_EQ(gw.init(server), 1);
    {
        Child sim({dtusimPath(), "--gateway", "127.0.0.1:" + std::to_string(port), "--count", "3",
                   "--name", "LIB%02d", "--password", "pw", "--type", "SIM-T", "--phone", "555",
                   "--id", "X7"});
        auto line = sim.readLine();
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(line->rfind("connected 3 3 ", 0), 0u) << *line;

        std::set<std::string> names;
        std::vector<DTU_HANDLE> clients;
        for (int i = 0; i < 3; ++i) {
            DTU_HANDLE c = gw.waitClient(server);
            ASSERT_NE(c, nullptr);
            clients.push_back(c);
            char ip[20], a[20], b[20], cc[20], d[20];
            int peer = 0;
            ASSERT_EQ(gw.clientInfo(c, ip, &peer, a, b, cc, d), 1);
            EXPECT_STREQ(a, "SIM-T");
            EXPECT_STREQ(cc, "X7");
            EXPECT_STREQ(d, "555");
            names.insert(b);
        }
        EXPECT_EQ(names, (std::set<std::string>{"LIB01", "LIB02", "LIB03"}));

        for (DTU_HANDLE c : clients) {
            const Bytes msg = bytes("round trip");
            EXPECT_EQ(gw.send(c, msg.data(), 10), 10);
            Bytes got;
            waitFor([&] {
                unsigned char buf[32];
                if (gw.count(c) > 0) {
                    int r = gw.receive(c, buf, sizeof buf);
                    got.insert(got.end(), buf, buf + r);
                }
                return got.size() >= 10;
            });
            EXPECT_EQ(got, msg);
            EXPECT_EQ(gw.available(c), 1);
            EXPECT_EQ(gw.sendEx(c, msg.data(), 10, 1, 10), 0);  // not a framed DTU
        }
        for (DTU_HANDLE c : clients)
            gw.del(c);
        EXPECT_EQ(gw.available(clients[0]), 0);  // deleted handles are refused
    }
    gw.uninit(server);
    gw.del(server);
}

TEST(SharedLibrary, UnloadWithHandlesStillOpenIsClean) {
    const int port = freeTcpPort();
    {
        Binding gw;
        ASSERT_NE(gw.lib, nullptr);
        DTU_HANDLE server = gw.addServer("127.0.0.1", port, nullptr);
        ASSERT_EQ(gw.init(server), 1);
        RawDtu dtu(port);
        dtu.send(makeRecord("T", "LEFT"));
        ASSERT_NE(gw.waitClient(server), nullptr);
        // The host forgets to delete anything and unloads the library.
    }
    EXPECT_THROW(RawDtu{port}, std::runtime_error);  // nothing listens any more
}

namespace {

// What the loader holds for one loaded module: whether it has a thread-local
// storage segment, and the module number given to it for that storage.
struct ModuleStorage {
    bool found = false;
    bool tlsSegment = false;
    size_t tlsModule = 0;
};

ModuleStorage moduleStorageOf(void* lib) {
    link_map* map = nullptr;
    if (::dlinfo(lib, RTLD_DI_LINKMAP, &map) != 0) return {};
    struct Search {
        const link_map* map;
        ModuleStorage result;
    } search{map, {}};
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_addr != s->map->l_addr || std::string(info->dlpi_name) != s->map->l_name)
                return 0;
            s->result.found = true;
            s->result.tlsModule = info->dlpi_tls_modid;
            for (int i = 0; i < info->dlpi_phnum; ++i)
                s->result.tlsSegment |= info->dlpi_phdr[i].p_type == PT_TLS;
            return 1;
        },
        &search);
    return search.result;
}

}  // namespace

// Hosts call the library from their own threads. A library with thread-local
// storage would have the loader give each such thread a block of it, made in
// the middle of a call and outliving the library in the thread's records; the
// library keeps its per-thread state in thread keys instead.
TEST(SharedLibrary, CallingThreadsGetNoThreadLocalStorageOfTheLibrary) {
    Binding gw;
    ASSERT_NE(gw.lib, nullptr) << ::dlerror();
    DTU_HANDLE server = gw.addServer("127.0.0.1", freeTcpPort(), nullptr);
    ASSERT_EQ(gw.init(server), 1);  // handed to the I/O thread from this one
    gw.uninit(server);
    gw.del(server);

    const ModuleStorage storage = moduleStorageOf(gw.lib);
    ASSERT_TRUE(storage.found);
    EXPECT_FALSE(storage.tlsSegment);
    EXPECT_EQ(storage.tlsModule, 0u);
}
