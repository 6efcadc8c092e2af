// The server driven in-process as editors drive it: the lifecycle, the
// documents, the problems published after a pause, handlers bound by
// features, cancellation and work off the main loop.

#include "lsp/Server.h"
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "comm/TransferWorker.h"
#include "encoding/Cp932.h"
#include "lsp/LanguageServer.h"
#include "res/StringTable.h"
#include "support/LspClient.h"
#include "sys/Platform.h"
#if !defined(_WIN32)
#include "support/PtyPair.h"
#endif
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <thread>
#include <tuple>

namespace tessel::lsp {
namespace {

using namespace std::chrono_literals;
using test::LspClient;

// What Neovim 0.11 sends first (its capabilities cut to those the server
// reads and a few around them, in its own shape).
const char* const kNeovimInitialize = R"({
  "jsonrpc": "2.0", "id": 1, "method": "initialize",
  "params": {
    "capabilities": {
      "general": {"positionEncodings": ["utf-8", "utf-16", "utf-32"]},
      "textDocument": {
        "codeAction": {"codeActionLiteralSupport": {"codeActionKind": {"valueSet":
          ["", "quickfix", "refactor", "refactor.extract", "refactor.inline",
           "refactor.rewrite", "source", "source.organizeImports"]}},
          "dataSupport": true, "dynamicRegistration": true, "isPreferredSupport": true,
          "resolveSupport": {"properties": ["edit", "command"]}},
        "completion": {"completionItem": {"commitCharactersSupport": false,
          "deprecatedSupport": true, "documentationFormat": ["markdown", "plaintext"],
          "preselectSupport": false, "snippetSupport": false},
          "completionItemKind": {"valueSet": [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,
                                              19,20,21,22,23,24,25]},
          "contextSupport": true, "dynamicRegistration": false},
        "documentSymbol": {"dynamicRegistration": false,
          "hierarchicalDocumentSymbolSupport": true},
        "hover": {"contentFormat": ["markdown", "plaintext"], "dynamicRegistration": true},
        "publishDiagnostics": {"dataSupport": true, "relatedInformation": true,
          "tagSupport": {"valueSet": [1, 2]}},
        "rename": {"dynamicRegistration": true, "prepareSupport": true},
        "semanticTokens": {"augmentsSyntaxTokens": true, "dynamicRegistration": false,
          "formats": ["relative"], "multilineTokenSupport": false,
          "overlappingTokenSupport": true, "requests": {"full": {"delta": true},
          "range": false}, "serverCancelSupport": false,
          "tokenModifiers": ["declaration", "definition", "readonly", "static",
            "deprecated", "abstract", "async", "modification", "documentation",
            "defaultLibrary"],
          "tokenTypes": ["namespace", "type", "class", "enum", "interface", "struct",
            "typeParameter", "parameter", "variable", "property", "enumMember", "event",
            "function", "method", "macro", "keyword", "modifier", "comment", "string",
            "number", "regexp", "operator", "decorator"]},
        "synchronization": {"didSave": true, "dynamicRegistration": false,
          "willSave": true, "willSaveWaitUntil": true}
      },
      "window": {"showDocument": {"support": true}, "showMessage":
        {"messageActionItem": {"additionalPropertiesSupport": true}},
        "workDoneProgress": true},
      "workspace": {"applyEdit": true, "configuration": true,
        "workspaceEdit": {"resourceOperations": ["rename", "create", "delete"]},
        "workspaceFolders": true}
    },
    "clientInfo": {"name": "Neovim", "version": "0.11.2+ga73904168a"},
    "processId": 3192,
    "rootPath": "/home/user/basic",
    "rootUri": "file:///home/user/basic",
    "trace": "off",
    "workDoneToken": "1",
    "workspaceFolders": [{"name": "/home/user/basic", "uri": "file:///home/user/basic"}]
  }
})";

// What Visual Studio Code's language client sends first (cut the same way).
const char* const kVsCodeInitialize = R"({
  "jsonrpc": "2.0", "id": 0, "method": "initialize",
  "params": {
    "processId": 41234,
    "clientInfo": {"name": "Visual Studio Code", "version": "1.95.3"},
    "locale": "ja",
    "rootPath": null,
    "rootUri": null,
    "capabilities": {
      "workspace": {"applyEdit": true, "workspaceEdit": {"documentChanges": true,
        "resourceOperations": ["create", "rename", "delete"], "failureHandling":
        "textOnlyTransactional", "normalizesLineEndings": true,
        "changeAnnotationSupport": {"groupsOnLabel": true}},
        "configuration": true, "workspaceFolders": true,
        "semanticTokens": {"refreshSupport": true}},
      "textDocument": {
        "publishDiagnostics": {"relatedInformation": true, "versionSupport": false,
          "tagSupport": {"valueSet": [1, 2]}, "codeDescriptionSupport": true,
          "dataSupport": true},
        "synchronization": {"dynamicRegistration": true, "willSave": true,
          "willSaveWaitUntil": true, "didSave": true},
        "completion": {"dynamicRegistration": true, "contextSupport": true,
          "completionItem": {"snippetSupport": true, "commitCharactersSupport": true,
            "documentationFormat": ["markdown", "plaintext"], "deprecatedSupport": true,
            "preselectSupport": true, "insertReplaceSupport": true,
            "labelDetailsSupport": true}, "insertTextMode": 2},
        "hover": {"dynamicRegistration": true, "contentFormat": ["markdown", "plaintext"]},
        "documentSymbol": {"dynamicRegistration": true,
          "hierarchicalDocumentSymbolSupport": true, "labelSupport": true},
        "codeAction": {"dynamicRegistration": true, "isPreferredSupport": true,
          "disabledSupport": true, "dataSupport": true, "resolveSupport":
          {"properties": ["edit"]}, "codeActionLiteralSupport": {"codeActionKind":
          {"valueSet": ["", "quickfix", "refactor", "refactor.extract", "refactor.inline",
          "refactor.rewrite", "source", "source.organizeImports"]}},
          "honorsChangeAnnotations": true}
      },
      "window": {"showMessage": {"messageActionItem": {"additionalPropertiesSupport": true}},
        "showDocument": {"support": true}, "workDoneProgress": true},
      "general": {"staleRequestSupport": {"cancel": true, "retryOnContentModified":
        ["textDocument/semanticTokens/full", "textDocument/semanticTokens/range",
         "textDocument/semanticTokens/full/delta"]},
        "regularExpressions": {"engine": "ECMAScript", "version": "ES2020"},
        "markdown": {"parser": "marked", "version": "1.1.0"},
        "positionEncodings": ["utf-16"]},
      "notebookDocument": {"synchronization": {"dynamicRegistration": true,
        "executionSummarySupport": true}}
    },
    "trace": "off",
    "workspaceFolders": null
  }
})";

struct Harness {
    explicit Harness(std::chrono::milliseconds delay = 20ms) {
        ServerOptions options;
        options.version = "9.9";
        options.diagnosticsDelay = delay;
        options.log = client.LogSink();
        server = std::make_unique<Server>(client, options);
    }
    ~Harness() {
        if (client.Running())
            client.Finish();
    }
    void Start() { client.Start(*server); }
    LspClient client;
    std::unique_ptr<Server> server;
};

int Code(const Json& answer) {
    return answer.contains("error") ? answer["error"]["code"].get<int>() : 0;
}

bool Logged(LspClient& client, const std::string& part) {
    for (const std::string& line : client.LogLines())
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

TEST(Server, LifecycleAsTheProtocolHasIt) {
    Harness h;
    h.Start();
    LspClient& c = h.client;
    // Before initialize: requests refused, notifications dropped.
    EXPECT_EQ(Code(c.Request("textDocument/hover", Json::object())), -32002);
    c.Open("file:///early.bas", "10 END");
    const Json init = c.Request("initialize", Json::object());
    EXPECT_EQ(init["result"]["serverInfo"], Json({{"name", "tessel-cli"}, {"version", "9.9"}}));
    EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-16");
    EXPECT_EQ(init["result"]["capabilities"]["textDocumentSync"],
              Json({{"openClose", true}, {"change", 2}}));
    EXPECT_EQ(h.server->Documents().Get("file:///early.bas"), nullptr);
    EXPECT_EQ(Code(c.Request("initialize", Json::object())), -32600);
    // Unknown methods: a request is told, a notification only logged ("$/"
    // ones not even that).
    EXPECT_EQ(Code(c.Request("textDocument/unknown", Json::object())), -32601);
    EXPECT_EQ(Code(c.Request("$/unknown")), -32601);
    c.Tell("workspace/didChangeConfiguration", {{"settings", Json::object()}});
    c.Tell("$/setTrace", {{"value", "verbose"}});
    EXPECT_EQ(c.Request("shutdown")["result"], nullptr);
    EXPECT_EQ(Code(c.Request("shutdown")), -32600);
    c.Tell("exit");
    EXPECT_EQ(c.WaitForExit(), 0);
    EXPECT_EQ(c.Finish(), 0);
    EXPECT_TRUE(Logged(c, "workspace/didChangeConfiguration"));
    EXPECT_FALSE(Logged(c, "setTrace"));
}

TEST(Server, ExitStatusSaysWhetherShutdownCameFirst) {
    {
        Harness h; // exit without shutdown
        h.Start();
        h.client.Initialize();
        h.client.Tell("exit");
        EXPECT_EQ(h.client.WaitForExit(), 1);
    }
    {
        Harness h; // the input ends without shutdown, even before initialize
        h.Start();
        EXPECT_EQ(h.client.Finish(), 1);
    }
    {
        Harness h; // shutdown, then the input ends
        h.Start();
        h.client.Initialize();
        h.client.Request("shutdown");
        EXPECT_EQ(h.client.Finish(), 0);
    }
    {
        Harness h; // exit before initialize
        h.Start();
        h.client.Tell("exit");
        EXPECT_EQ(h.client.WaitForExit(), 1);
    }
}

TEST(Server, RealClientsNegotiateThePositionEncoding) {
    const struct {
        const char* initialize;
        const char* encoding;
        Json id;
    } clients[] = {{kNeovimInitialize, "utf-8", 1}, {kVsCodeInitialize, "utf-16", 0}};
    for (const auto& client : clients) {
        Harness h;
        h.Start();
        h.client.SendRaw(Json::parse(client.initialize));
        const Json answer = h.client.Await(client.id);
        EXPECT_EQ(answer["result"]["capabilities"]["positionEncoding"], client.encoding);
        EXPECT_EQ(h.server->Encoding() == PositionEncoding::Utf8,
                  std::string(client.encoding) == "utf-8");
        EXPECT_TRUE(h.server->Client().workDoneProgress);
        EXPECT_TRUE(h.server->Client().hierarchicalDocumentSymbols);
        EXPECT_TRUE(h.server->Client().codeActionLiterals);
    }
}

TEST(Server, DocumentsFollowOpenChangeAndClose) {
    Harness h;
    h.Start();
    LspClient& c = h.client;
    c.SendRaw(Json::parse(kNeovimInitialize));
    c.Await(1);
    const std::string uri = "file:///home/user/basic/game.bas";
    c.Open(uri, "10 PRINT \"ｱ\"\n20 END\n", 3);
    // Neovim counts UTF-8 bytes: after "ｱ" is column 13.
    c.Tell("textDocument/didChange",
           {{"textDocument", {{"uri", uri}, {"version", 4}}},
            {"contentChanges", Json::array({{{"range",
                                              {{"start", {{"line", 0}, {"character", 13}}},
                                               {"end", {{"line", 0}, {"character", 13}}}}},
                                             {"text", "ｲ"}},
                                            {{"range",
                                              {{"start", {{"line", 1}, {"character", 3}}},
                                               {"end", {{"line", 1}, {"character", 6}}}}},
                                             {"rangeLength", 3},
                                             {"text", "STOP"}}})}});
    c.Tell("textDocument/didChange", {{"textDocument", {{"uri", "file:///other"}, {"version", 1}}},
                                      {"contentChanges", Json::array()}});
    EXPECT_EQ(c.Request("shutdown")["result"], nullptr); // after the changes, in order
    const DocumentSnapshot document = h.server->Documents().Get(uri);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->version, 4);
    EXPECT_EQ(document->text.Bytes(), "10 PRINT \"\xB1\xB2\"\n20 STOP\n");
    EXPECT_TRUE(Logged(c, "not open: file:///other"));
}

TEST(Server, ProblemsArePublishedOnceTheTextRests) {
    Harness h(150ms);
    AddFeatures(*h.server);
    h.Start();
    LspClient& c = h.client;
    c.Initialize();
    const std::string uri = "file:///a.bas";
    c.Open(uri, "10 A=\"é\"\r\n");
    // Quick changes within the pause: one publication, for the last version.
    for (int version = 2; version <= 4; ++version)
        c.Tell("textDocument/didChange",
               {{"textDocument", {{"uri", uri}, {"version", version}}},
                {"contentChanges", Json::array({{{"text", "10 A=\"é\"\r\n20 B=\"ü\"\r\n"}}})}});
    const std::vector<Json> published = c.AwaitNotifications("textDocument/publishDiagnostics");
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0]["version"], 4);
    ASSERT_EQ(published[0]["diagnostics"].size(), 2u);
    EXPECT_EQ(published[0]["diagnostics"][1]["range"]["start"],
              Json({{"line", 1}, {"character", 6}}));
    EXPECT_EQ(published[0]["diagnostics"][1]["severity"], 1);

    // Mended: none. Closed: none either, at once.
    c.Tell("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 5}}},
                                      {"contentChanges", Json::array({{{"text", "10 END\r\n"}}})}});
    const std::vector<Json> mended = c.AwaitNotifications("textDocument/publishDiagnostics");
    ASSERT_EQ(mended.size(), 1u);
    EXPECT_EQ(mended[0]["diagnostics"], Json::array());
    c.Tell("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 6}}},
                                      {"contentChanges", Json::array({{{"text", "é"}}})}});
    c.Tell("textDocument/didClose", {{"textDocument", {{"uri", uri}}}});
    const std::vector<Json> closed = c.AwaitNotifications("textDocument/publishDiagnostics");
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0], Json({{"uri", uri}, {"diagnostics", Json::array()}}));
    std::this_thread::sleep_for(300ms); // the change before the close publishes nothing
    EXPECT_TRUE(c.TakeNotifications("textDocument/publishDiagnostics").empty());
}

TEST(Server, BoundHandlersAreTypedAndTheirFaultsAnswered) {
    Harness h;
    Binder& bind = h.server->Bind();
    bind.Request<TextDocumentPositionParams, Json>(
        "textDocument/hover", [](const TextDocumentPositionParams& p, Reply<Json> reply) {
            reply(Json{{"line", p.position.line}});
        });
    bind.Request<NoParams, Json>(
        "test/throws", [](const NoParams&, Reply<Json>) { throw std::runtime_error("broken"); });
    bind.Request<NoParams, Json>("test/drops", [](const NoParams&, Reply<Json>) {});
    bind.Request<NoParams, Json>("textDocument/semanticTokens/full",
                                 [](const NoParams&, Reply<Json> reply) { reply(nullptr); });
    h.Start();
    LspClient& c = h.client;
    const Json capabilities = c.Initialize()["result"]["capabilities"];
    EXPECT_EQ(capabilities["hoverProvider"], true);
    EXPECT_FALSE(capabilities.contains("semanticTokensProvider")); // no legend, not announced
    EXPECT_FALSE(capabilities.contains("definitionProvider"));

    const Json position = {{"textDocument", {{"uri", "file:///a"}}},
                           {"position", {{"line", 7}, {"character", 0}}}};
    EXPECT_EQ(c.Request("textDocument/hover", position)["result"]["line"], 7);
    for (const Json& bad :
         {Json::object(),
          Json{{"textDocument", {{"uri", "file:///a"}}},
               {"position", {{"line", -1}, {"character", 0}}}},
          Json{{"textDocument", {{"uri", "file:///a"}}},
               {"position", {{"line", 1.5}, {"character", 0}}}},
          Json{{"textDocument", {{"uri", 3}}}, {"position", {{"line", 1}, {"character", 0}}}}})
        EXPECT_EQ(Code(c.Request("textDocument/hover", bad)), -32602) << bad.dump();
    EXPECT_EQ(Code(c.Request("test/throws")), -32603);
    EXPECT_EQ(Code(c.Request("test/drops")), -32603);
    EXPECT_EQ(c.Request("textDocument/hover", position)["result"]["line"], 7); // still there
}

TEST(Server, CapabilitiesCarryTheOptionsFeaturesGive) {
    Harness h;
    h.server->Bind().Request<NoParams, Json>("textDocument/semanticTokens/full",
                                             [](const NoParams&, Reply<Json> r) { r(nullptr); });
    h.server->Bind().Request<NoParams, Json>("textDocument/completion",
                                             [](const NoParams&, Reply<Json> r) { r(nullptr); });
    const Json legend = {{"legend", SemanticTokensLegend{{"keyword", "number"}, {}}},
                         {"full", true}};
    h.server->SetCapability("semanticTokensProvider", legend);
    h.Start();
    const Json capabilities = h.client.Initialize({"utf-16", "utf-8"})["result"]["capabilities"];
    EXPECT_EQ(capabilities["semanticTokensProvider"], legend);
    EXPECT_EQ(capabilities["completionProvider"], Json::object());
    EXPECT_EQ(capabilities["positionEncoding"], "utf-8");
}

// A long task on the long queue: the main loop answers meanwhile, the
// quick queue is not held up, and a cancel reaches the task.
TEST(Server, LongWorkRunsOffTheMainLoopAndCanBeCancelled) {
    Harness h;
    Server& server = *h.server;
    std::atomic<bool> started{false};
    server.Bind().Request<NoParams, Json>("test/send", [&](const NoParams&, Reply<Json> reply) {
        server.Long().Post([&started, reply](std::stop_token stop) {
            started = true;
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (!reply.Cancelled() && !stop.stop_requested() &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
            reply(Json("finished"));
        });
    });
    server.Bind().Request<NoParams, Json>("test/quick", [&](const NoParams&, Reply<Json> reply) {
        server.Quick().Post([reply](std::stop_token) { reply(Json("quick")); });
    });
    h.Start();
    LspClient& c = h.client;
    c.Initialize();
    const int send = c.Send("test/send");
    while (!started)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(c.Request("test/quick")["result"], "quick");
    EXPECT_EQ(Code(c.Request("initialize", Json::object())), -32600);
    c.Tell("$/cancelRequest", {{"id", send}});
    const Json cancelled = c.Await(send);
    EXPECT_EQ(Code(cancelled), -32800);
    // A cancel for what is done or never was changes nothing.
    c.Tell("$/cancelRequest", {{"id", send}});
    c.Tell("$/cancelRequest", {{"id", "nothing"}});
    EXPECT_EQ(c.Request("test/quick")["result"], "quick");
}

TEST(Server, ShutdownCancelsWorkUnderWay) {
    Harness h;
    Server& server = *h.server;
    server.Bind().Request<NoParams, Json>("test/send", [&](const NoParams&, Reply<Json> reply) {
        server.Long().Post([reply](std::stop_token stop) {
            while (!stop.stop_requested() && !reply.Cancelled())
                std::this_thread::sleep_for(1ms);
            reply(Json("finished"));
        });
    });
    h.Start();
    LspClient& c = h.client;
    c.Initialize();
    const int send = c.Send("test/send");
    EXPECT_EQ(c.Request("shutdown")["result"], nullptr);
    EXPECT_EQ(Code(c.Await(send)), -32800);
    EXPECT_EQ(c.Finish(), 0);
}

TEST(Server, AnswersToTheServersOwnRequestsReachTheirCaller) {
    Harness h;
    h.Start();
    LspClient& c = h.client;
    c.Initialize();
    std::atomic<int> answered{0};
    Json got;
    h.server->Call("window/workDoneProgress/create", WorkDoneProgressCreateParams{"send-1"},
                   [&](Expected<Json> result) {
                       got = result.Ok() ? result.Value() : Json("error");
                       ++answered;
                   });
    const std::vector<Json> calls = c.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]["params"], Json({{"token", "send-1"}}));
    c.SendRaw({{"jsonrpc", "2.0"}, {"id", calls[0]["id"]}, {"result", nullptr}});
    c.SendRaw({{"jsonrpc", "2.0"}, {"id", 999}, {"result", nullptr}}); // to nothing: logged
    c.Request("shutdown");
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(got, nullptr);
    EXPECT_TRUE(Logged(c, "999"));
}

// A server with every feature, initialized by a real client's first message.
struct Served {
    // Without `initialize`, a client that offers nothing: positions in
    // UTF-16, plain text, flat symbols.
    explicit Served(const char* initialize = kNeovimInitialize)
        : Served(initialize ? Json::parse(initialize) : Json(), {}) {}
    Served(const Json& initialize, const AppSettings& settings) {
        AddFeatures(*h.server, settings);
        h.Start();
        if (initialize.is_null()) {
            c.Initialize();
            return;
        }
        c.SendRaw(initialize);
        c.Await(initialize["id"]);
    }
    // Opens `text` and waits for its problems.
    std::vector<Json> Open(const std::string& uri, const std::string& text, int version = 1) {
        c.Open(uri, text, version);
        const std::vector<Json> published = c.AwaitNotifications("textDocument/publishDiagnostics");
        return published.empty() ? std::vector<Json>{}
                                 : published.back()["diagnostics"].get<std::vector<Json>>();
    }
    Harness h;
    LspClient& c = h.client;
};

Json CodeActions(LspClient& c, const std::string& uri, const std::vector<Json>& diagnostics,
                 Json only = nullptr) {
    Json context = {{"diagnostics", diagnostics}};
    if (!only.is_null())
        context["only"] = only;
    return c.Request("textDocument/codeAction", {{"textDocument", {{"uri", uri}}},
                                                 {"range",
                                                  {{"start", {{"line", 0}, {"character", 0}}},
                                                   {"end", {{"line", 9}, {"character", 0}}}}},
                                                 {"context", context}});
}

TEST(Server, QuickFixesMakeTheMendsOfTheProblemsGivenBack) {
    const std::string uri = "file:///fix.bas";
    const std::string text = "10 A$=\"漢字\"\r\n\r\n  20 END\r\n";
    const Json blank = {{"start", {{"line", 1}, {"character", 0}}},
                        {"end", {{"line", 2}, {"character", 0}}}};
    const Json indent = {{"start", {{"line", 2}, {"character", 0}}},
                         {"end", {{"line", 2}, {"character", 2}}}};
    {
        Served s; // Neovim: edits by document, no versions
        const std::vector<Json> problems = s.Open(uri, text);
        ASSERT_EQ(problems.size(), 2u);
        // First, before the actions over the whole program.
        const Json actions = CodeActions(s.c, uri, problems)["result"];
        ASSERT_GE(actions.size(), 2u);
        EXPECT_EQ(actions[0]["kind"], "quickfix");
        EXPECT_EQ(actions[0]["title"], LoadString(IDS_FIX_REMOVE_BLANK_LINE));
        EXPECT_EQ(actions[0]["isPreferred"], true);
        EXPECT_EQ(actions[0]["diagnostics"], Json::array({problems[0]}));
        EXPECT_EQ(actions[0]["edit"],
                  Json({{"changes", {{uri, {{{"range", blank}, {"newText", ""}}}}}}}));
        EXPECT_EQ(actions[1]["edit"]["changes"][uri][0]["range"], indent);
        // Given back twice, made once; a problem without a mend, or a mend
        // the client mangled, makes none.
        Json mangled = problems[1];
        mangled["data"]["fix"]["offset"] = "x";
        Json other = problems[0];
        other.erase("data");
        EXPECT_EQ(CodeActions(s.c, uri, {problems[0], problems[0], mangled, other},
                              {"quickfix"})["result"]
                      .size(),
                  1u);
        // Only other kinds wanted: none.
        const Json others = CodeActions(s.c, uri, problems, {"source", "refactor"});
        for (const Json& action : others["result"])
            EXPECT_NE(action["kind"], "quickfix");
        EXPECT_EQ(CodeActions(s.c, uri, problems, {"quickfix"})["result"].size(), 2u);
        // The text changed since: the old mends would remove the wrong bytes.
        s.c.Tell("textDocument/didChange",
                 {{"textDocument", {{"uri", uri}, {"version", 2}}},
                  {"contentChanges", Json::array({{{"text", "5 CLS\r\n" + text}}})}});
        EXPECT_EQ(CodeActions(s.c, uri, problems, {"quickfix"})["result"], Json::array());
        EXPECT_EQ(Code(CodeActions(s.c, "file:///closed.bas", problems)), -32602);
    }
    {
        Served s(kVsCodeInitialize); // positions in UTF-16, edits with the version
        const std::vector<Json> problems = s.Open(uri, text, 7);
        const Json actions = CodeActions(s.c, uri, problems, {"quickfix"})["result"];
        ASSERT_EQ(actions.size(), 2u);
        EXPECT_EQ(actions[1]["edit"],
                  Json({{"documentChanges",
                         {{{"textDocument", {{"uri", uri}, {"version", 7}}},
                           {"edits", {{{"range", indent}, {"newText", ""}}}}}}}}));
    }
}

// A small program for the features that look at references (positions in
// UTF-8 bytes, as Neovim counts them: "数" and each katakana are three).
const char* const kProgram = "10 *START:CLS\r\n"
                             "20 INPUT \"数\";A\r\n"
                             "30 IF A>9 THEN 60 ELSE 50\r\n"
                             "40 ON A GOTO 10,60,*START,*NOPE\r\n"
                             "50 GOSUB 100:GOTO 990\r\n"
                             "60 PRINT \"ｵﾜﾘ\";ABS(A):END\r\n"
                             "100 REM サブ 60\r\n"
                             "110 RETURN\r\n";

Json At(const std::string& uri, int line, int character) {
    return {{"textDocument", {{"uri", uri}}},
            {"position", {{"line", line}, {"character", character}}}};
}

Json Span(int line, int begin, int end) {
    return {{"start", {{"line", line}, {"character", begin}}},
            {"end", {{"line", line}, {"character", end}}}};
}

TEST(Server, DefinitionGoesToTheLineOrLabelAReferenceNames) {
    Served s;
    const std::string uri = "file:///nav.bas";
    s.Open(uri, kProgram);
    const struct {
        int line, character;
        Json target; // null: none
    } cases[] = {
        {2, 15, Span(5, 0, 2)}, // THEN 60
        {2, 17, Span(5, 0, 2)}, // just after it
        {2, 23, Span(4, 0, 2)}, // ELSE 50
        {3, 13, Span(0, 0, 2)}, // first of a GOTO list
        {3, 16, Span(5, 0, 2)}, // after a comma
        {3, 21, Span(0, 4, 9)}, // a label in the list: its definition
        {4, 9, Span(6, 0, 3)},  // GOSUB 100
        {5, 1, Span(5, 0, 2)},  // a line's own number
        {4, 18, nullptr},       // 990 does not exist
        {4, 4, nullptr},        // a keyword
        {6, 15, nullptr},       // a number in a remark is no reference
        {1, 9, nullptr},        // a string
        {20, 0, nullptr},       // past the text
    };
    for (const auto& c : cases) {
        const Json answer = s.c.Request("textDocument/definition", At(uri, c.line, c.character));
        const Json expected =
            c.target.is_null() ? Json(nullptr) : Json({{"uri", uri}, {"range", c.target}});
        EXPECT_EQ(answer["result"], expected) << c.line << ":" << c.character;
    }
    EXPECT_EQ(Code(s.c.Request("textDocument/definition", At("file:///closed.bas", 0, 0))), -32602);
    const Json capabilities = s.h.server->Capabilities();
    for (const char* key : {"definitionProvider", "referencesProvider", "documentHighlightProvider",
                            "hoverProvider", "documentSymbolProvider", "codeActionProvider"})
        EXPECT_EQ(capabilities[key], true) << key;
}

TEST(Server, ReferencesAndHighlightsOfALineFromItsNumberOrAnyReference) {
    Served s;
    const std::string uri = "file:///nav.bas";
    s.Open(uri, kProgram);
    const auto references = [&](int line, int character, bool declaration) {
        Json params = At(uri, line, character);
        params["context"] = {{"includeDeclaration", declaration}};
        std::vector<Json> ranges;
        const Json answer = s.c.Request("textDocument/references", params);
        for (const Json& location : answer["result"]) {
            EXPECT_EQ(location["uri"], uri);
            ranges.push_back(location["range"]);
        }
        return ranges;
    };
    const std::vector<Json> line60 = {Span(5, 0, 2), Span(2, 15, 17), Span(3, 16, 18)};
    EXPECT_EQ(references(5, 0, true), line60);  // from the number
    EXPECT_EQ(references(3, 17, true), line60); // from a reference
    EXPECT_EQ(references(2, 16, false), std::vector<Json>(line60.begin() + 1, line60.end()));
    EXPECT_EQ(references(4, 19, true), std::vector<Json>{Span(4, 18, 21)}); // a missing line
    EXPECT_EQ(references(7, 1, true), std::vector<Json>{Span(7, 0, 3)});    // none refers
    const std::vector<Json> label = {Span(0, 4, 9), Span(3, 20, 25)};
    EXPECT_EQ(references(0, 6, true), label);
    EXPECT_EQ(references(3, 22, false), std::vector<Json>{label[1]});
    EXPECT_TRUE(references(4, 4, true).empty());

    const Json highlights = s.c.Request("textDocument/documentHighlight", At(uri, 3, 14))["result"];
    EXPECT_EQ(highlights, Json::array({{{"range", Span(0, 0, 2)}, {"kind", 1}},
                                       {{"range", Span(3, 13, 15)}, {"kind", 2}}}));
    EXPECT_EQ(s.c.Request("textDocument/documentHighlight", At(uri, 1, 3))["result"],
              Json::array());
}

TEST(Server, HoverShowsTheLineAReferenceNamesOrWhatAKeywordIs) {
    SetLanguage(Language::English);
    const std::string uri = "file:///nav.bas";
    {
        Served s; // Markdown
        s.Open(uri, kProgram);
        const struct {
            int line, character;
            Json hover; // null: none
        } cases[] = {
            {2,
             16,
             {{"contents",
               {{"kind", "markdown"}, {"value", "```\n60 PRINT \"ｵﾜﾘ\";ABS(A):END\n```"}}},
              {"range", Span(2, 15, 17)}}},
            {4,
             19,
             {{"contents", {{"kind", "markdown"}, {"value", "There is no line 990"}}},
              {"range", Span(4, 18, 21)}}},
            {3,
             20,
             {{"contents", {{"kind", "markdown"}, {"value", "```\n10 *START:CLS\n```"}}},
              {"range", Span(3, 19, 25)}}},
            {4,
             5,
             {{"contents", {{"kind", "markdown"}, {"value", "GOSUB is a statement"}}},
              {"range", Span(4, 3, 8)}}},
            {2,
             12,
             {{"contents",
               {{"kind", "markdown"}, {"value", "THEN stands inside a statement, never as one"}}},
              {"range", Span(2, 10, 14)}}},
            {5,
             22,
             {{"contents",
               {{"kind", "markdown"}, {"value", "ABS is a function: it gives a value"}}},
              {"range", Span(5, 21, 24)}}},
            {3,
             28,
             {{"contents", {{"kind", "markdown"}, {"value", "There is no label \\*NOPE"}}},
              {"range", Span(3, 26, 31)}}},
            {5, 0, nullptr},  // a line's own number
            {1, 15, nullptr}, // a variable
        };
        for (const auto& c : cases)
            EXPECT_EQ(s.c.Request("textDocument/hover", At(uri, c.line, c.character))["result"],
                      c.hover)
                << c.line << ":" << c.character;
    }
    {
        Served s(nullptr); // plain text only, positions in UTF-16
        s.Open(uri, kProgram);
        EXPECT_EQ(s.c.Request("textDocument/hover", At(uri, 2, 16))["result"]["contents"],
                  Json({{"kind", "plaintext"}, {"value", "60 PRINT \"ｵﾜﾘ\";ABS(A):END"}}));
        EXPECT_EQ(s.c.Request("textDocument/hover", At(uri, 3, 28))["result"]["contents"]["value"],
                  "There is no label *NOPE");
    }
    SetLanguage(Language::Japanese);
}

TEST(Server, OutlineListsEveryNumberedLineWithItsLabels) {
    const std::string uri = "file:///nav.bas";
    {
        Served s; // a tree
        s.Open(uri, kProgram);
        const Json symbols = s.c.Request("textDocument/documentSymbol",
                                         {{"textDocument", {{"uri", uri}}}})["result"];
        ASSERT_EQ(symbols.size(), 8u);
        EXPECT_EQ(symbols[0], Json({{"name", "10"},
                                    {"detail", "*START:CLS"},
                                    {"kind", 16},
                                    {"range", Span(0, 0, 13)},
                                    {"selectionRange", Span(0, 0, 2)},
                                    {"children",
                                     {{{"name", "*START"},
                                       {"kind", 20},
                                       {"range", Span(0, 3, 9)},
                                       {"selectionRange", Span(0, 4, 9)}}}}}));
        EXPECT_EQ(symbols[6]["name"], "100");
        EXPECT_EQ(symbols[6]["detail"], "REM サブ 60");
        EXPECT_EQ(symbols[6]["range"], Span(6, 0, 17));
    }
    {
        Served s(nullptr); // a flat list, positions in UTF-16; lines without a number left out
        s.Open(uri, "\r\n10 *A:*B\r\n  20 END\r\n65280 END\r\n30 ' 数\r\n");
        const Json symbols = s.c.Request("textDocument/documentSymbol",
                                         {{"textDocument", {{"uri", uri}}}})["result"];
        ASSERT_EQ(symbols.size(), 3u);
        EXPECT_EQ(symbols[0], Json({{"name", "10"},
                                    {"kind", 16},
                                    {"location", {{"uri", uri}, {"range", Span(1, 0, 8)}}}}));
        EXPECT_EQ(symbols[1], Json({{"name", "*A"},
                                    {"kind", 20},
                                    {"location", {{"uri", uri}, {"range", Span(1, 3, 5)}}},
                                    {"containerName", "10"}}));
        EXPECT_EQ(symbols[2]["location"]["range"], Span(4, 0, 6));
    }
}

// Semantic tokens read back as "line:character+length type[.modifier]", by
// the legend the server announced.
std::vector<std::string> ReadTokens(const Json& data, const Json& legend) {
    std::vector<std::string> tokens;
    std::uint32_t line = 0;
    std::uint32_t character = 0;
    for (std::size_t k = 0; k + 5 <= data.size(); k += 5) {
        const auto deltaLine = data[k].get<std::uint32_t>();
        character = deltaLine == 0 ? character + data[k + 1].get<std::uint32_t>()
                                   : data[k + 1].get<std::uint32_t>();
        line += deltaLine;
        std::string token = std::to_string(line) + ":" + std::to_string(character) + "+" +
                            data[k + 2].dump() + " " +
                            legend["tokenTypes"][data[k + 3].get<std::size_t>()].get<std::string>();
        for (std::size_t bit = 0; bit < legend["tokenModifiers"].size(); ++bit)
            if (data[k + 4].get<std::uint32_t>() >> bit & 1)
                token += "." + legend["tokenModifiers"][bit].get<std::string>();
        tokens.push_back(token);
    }
    return tokens;
}

TEST(Server, SemanticTokensColourTheProgramAsTheModelLexesIt) {
    const std::string uri = "file:///nav.bas";
    const std::vector<std::string> line2 = {"2:0+2 label.declaration",
                                            "2:3+2 keyword",
                                            "2:6+1 variable",
                                            "2:7+1 operator",
                                            "2:8+1 number",
                                            "2:10+4 keyword",
                                            "2:15+2 label",
                                            "2:18+4 keyword",
                                            "2:23+2 label"};
    for (const char* client : {kNeovimInitialize, kVsCodeInitialize}) {
        Served s(client);
        const bool utf8 = client == kNeovimInitialize;
        const Json options = s.h.server->Capabilities()["semanticTokensProvider"];
        EXPECT_EQ(options["full"], true);
        EXPECT_EQ(options["range"], true);
        const Json& legend = options["legend"];
        s.Open(uri, kProgram);
        const std::vector<std::string> all =
            ReadTokens(s.c.Request("textDocument/semanticTokens/full",
                                   {{"textDocument", {{"uri", uri}}}})["result"]["data"],
                       legend);
        ASSERT_GE(all.size(), 20u);
        EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 3),
                  (std::vector<std::string>{"0:0+2 label.declaration", "0:3+6 label.declaration",
                                            "0:10+3 keyword"}));
        EXPECT_NE(std::find(all.begin(), all.end(), "3:19+6 label"), all.end()); // *START
        // A remark after its keyword, counted in the client's units.
        const auto remark = std::find(all.begin(), all.end(), "6:4+3 keyword");
        ASSERT_NE(remark, all.end());
        EXPECT_EQ(remark[1], utf8 ? "6:7+10 comment" : "6:7+6 comment");
        // A range: the lines it touches, whole; the string's length in the
        // client's units ("数" is three UTF-8 bytes, one UTF-16 unit).
        const Json range = {{"start", {{"line", 1}, {"character", 4}}},
                            {"end", {{"line", 2}, {"character", 1}}}};
        const std::vector<std::string> part = ReadTokens(
            s.c.Request("textDocument/semanticTokens/range",
                        {{"textDocument", {{"uri", uri}}}, {"range", range}})["result"]["data"],
            legend);
        std::vector<std::string> expected = {"1:0+2 label.declaration", "1:3+5 keyword",
                                             utf8 ? "1:9+5 string" : "1:9+3 string",
                                             utf8 ? "1:15+1 variable" : "1:13+1 variable"};
        expected.insert(expected.end(), line2.begin(), line2.end());
        EXPECT_EQ(part, expected);
    }
}

// The program with one more line, typed up to its end.
TEST(Server, CompletionOffersLineNumbersAfterAReferenceKeywordElseKeywords) {
    Served s;
    const struct {
        const char* line;
        const char* trigger;
        const char* offered; // "numbers", "keywords" or "nothing"
    } cases[] = {
        {"120 GOTO ", nullptr, "numbers"},
        {"120 GOTO 1", nullptr, "numbers"},
        {"120 ON A GOSUB 100,", ",", "numbers"},
        {"120 IF A THEN ", " ", "numbers"},
        {"120 RESTORE ", nullptr, "numbers"},
        {"120 IF A THEN 60 ELSE ", nullptr, "numbers"},
        {"120 IF A THEN P", nullptr, "keywords"},
        {"120 ", nullptr, "keywords"},
        {"120 A=B+", nullptr, "keywords"},
        {"120 PRINT ", " ", "nothing"},
        {"120 A=1", nullptr, "nothing"},
        {"120 PRINT \"GO", nullptr, "nothing"},
        {"120 REM GOTO ", nullptr, "nothing"},
        {"12", nullptr, "nothing"},
        {"", nullptr, "nothing"},
    };
    int document = 0;
    for (const auto& c : cases) {
        const std::string uri = "file:///c" + std::to_string(++document) + ".bas";
        const std::string line = c.line;
        s.Open(uri, kProgram + line);
        Json params = At(uri, 8, static_cast<int>(line.size()));
        if (c.trigger != nullptr)
            params["context"] = {{"triggerKind", 2}, {"triggerCharacter", c.trigger}};
        const Json items = s.c.Request("textDocument/completion", params)["result"]["items"];
        std::size_t word = line.size();
        while (word > 0 && std::isalnum(static_cast<unsigned char>(line[word - 1])))
            --word;
        const Json replaced = Span(8, static_cast<int>(word), static_cast<int>(line.size()));
        const std::string offered = items.empty()            ? "nothing"
                                    : items[0]["kind"] == 18 ? "numbers"
                                                             : "keywords";
        EXPECT_EQ(offered, c.offered) << line;
        if (offered == "numbers") {
            // Every line there is, in number order, with its text.
            ASSERT_EQ(items.size(), 9u) << line;
            EXPECT_EQ(items[0], Json({{"label", "10"},
                                      {"kind", 18},
                                      {"detail", "*START:CLS"},
                                      {"sortText", "00010"},
                                      {"textEdit", {{"range", replaced}, {"newText", "10"}}}}));
            EXPECT_EQ(items[6]["label"], "100");
            EXPECT_EQ(items[6]["detail"], "REM サブ 60");
            EXPECT_LT(items[5]["sortText"], items[6]["sortText"]);
        }
        if (offered == "keywords") {
            std::map<std::string, Json> byName;
            for (const Json& item : items)
                byName[item["label"]] = item;
            EXPECT_EQ(byName.size(), items.size()) << line;
            EXPECT_FALSE(byName.contains(""));
            EXPECT_EQ(byName["GOTO"]["textEdit"]["range"], replaced);
            EXPECT_EQ(byName["GOTO"]["detail"], LoadString(IDS_LSP_CATEGORY_STATEMENT));
            EXPECT_EQ(byName["ABS"]["detail"], LoadString(IDS_LSP_CATEGORY_FUNCTION));
            EXPECT_EQ(byName["THEN"]["detail"], LoadString(IDS_LSP_CATEGORY_CLAUSE));
        }
    }
    // Only BASIC has these.
    s.c.Tell(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", "file:///a.c"}, {"languageId", "c"}, {"version", 1}, {"text", "10 goto "}}}});
    EXPECT_EQ(s.c.Request("textDocument/completion", At("file:///a.c", 0, 8))["result"]["items"],
              Json::array());
    EXPECT_EQ(s.h.server->Capabilities()["completionProvider"],
              Json({{"triggerCharacters", {" ", ","}}}));
}

// Where a position stands in `text`, counted in UTF-8 bytes (as Neovim
// counts them), lines ending at CR LF, CR or LF.
std::size_t OffsetOf(const std::string& text, std::size_t line, std::size_t character) {
    std::size_t at = 0;
    for (; line > 0; --line) {
        at = text.find_first_of("\r\n", at);
        if (at == std::string::npos)
            return text.size();
        at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    }
    return std::min({at + character, text.find_first_of("\r\n", at), text.size()});
}

// The client's side of an edit: `edits` applied to `text`.
std::string Applied(std::string text, const Json& edits) {
    const auto offsetOf = [&](const Json& position) {
        return OffsetOf(text, position["line"].get<std::size_t>(),
                        position["character"].get<std::size_t>());
    };
    std::vector<std::tuple<std::size_t, std::size_t, std::string>> spans;
    for (const Json& edit : edits)
        spans.emplace_back(offsetOf(edit["range"]["start"]), offsetOf(edit["range"]["end"]),
                           edit["newText"].get<std::string>());
    std::ranges::sort(spans, std::greater<>());
    for (const auto& [begin, end, replacement] : spans)
        text.replace(begin, end - begin, replacement);
    return text;
}

Json RenameAt(LspClient& c, const std::string& uri, int line, int character,
              const std::string& name) {
    Json params = At(uri, line, character);
    params["newName"] = name;
    return c.Request("textDocument/rename", params);
}

TEST(Server, RenameGivesALineANewNumberAndItsReferencesFollow) {
    SetLanguage(Language::English);
    const std::string uri = "file:///nav.bas";
    Served s;
    s.Open(uri, kProgram);
    EXPECT_EQ(s.h.server->Capabilities()["renameProvider"], Json({{"prepareProvider", true}}));
    // Where a rename can start: a line's number or a reference to a line.
    const struct {
        int line, character;
        Json range; // null: nothing to rename; a string: the error's message
    } prepared[] = {
        {5, 1, Span(5, 0, 2)},
        {2, 16, Span(2, 15, 17)},
        {3, 13, Span(3, 13, 15)},
        {4, 4, nullptr},
        {3, 22, nullptr},
        {6, 15, nullptr},
        {4, 19, "There is no line 990"},
    };
    for (const auto& p : prepared) {
        const Json answer = s.c.Request("textDocument/prepareRename", At(uri, p.line, p.character));
        if (p.range.is_string()) {
            EXPECT_EQ(Code(answer), -32803);
            EXPECT_EQ(answer["error"]["message"], p.range);
        } else {
            EXPECT_EQ(answer["result"], p.range) << p.line << ":" << p.character;
        }
    }
    // Line 60 becomes 55, from a reference to it: the number and both
    // references, nothing else.
    const Json renamed = RenameAt(s.c, uri, 3, 17, "55");
    EXPECT_EQ(Applied(kProgram, renamed["result"]["changes"][uri]),
              "10 *START:CLS\r\n"
              "20 INPUT \"数\";A\r\n"
              "30 IF A>9 THEN 55 ELSE 50\r\n"
              "40 ON A GOTO 10,55,*START,*NOPE\r\n"
              "50 GOSUB 100:GOTO 990\r\n"
              "55 PRINT \"ｵﾜﾘ\";ABS(A):END\r\n"
              "100 REM サブ 60\r\n"
              "110 RETURN\r\n");
    EXPECT_EQ(RenameAt(s.c, uri, 5, 0, " 0060 ")["result"]["changes"][uri], Json::array());
    // Refused, with why: no edit at all.
    const struct {
        int line, character;
        const char* name;
        const char* why;
    } refused[] = {
        {5, 0, "50", "There is a line 50 already"},
        {5, 0, "45",
         "Line 60 cannot become line 45: line 50 stands between them, and the order "
         "of the lines would change"},
        {0, 0, "105",
         "Line 10 cannot become line 105: line 20 stands between them, and the "
         "order of the lines would change"},
        {5, 0, "0", "\"0\" is no line number: give a number from 1 to 65279"},
        {5, 0, "65280", "\"65280\" is no line number: give a number from 1 to 65279"},
        {5, 0, "99999999999", "\"99999999999\" is no line number: give a number from 1 to 65279"},
        {5, 0, "6O", "\"6O\" is no line number: give a number from 1 to 65279"},
        {5, 0, "", "\"\" is no line number: give a number from 1 to 65279"},
        {4, 19, "991", "There is no line 990"},
        {4, 4, "1", "Only a line's number, or a reference to a line, can be renamed"},
    };
    for (const auto& r : refused) {
        const Json answer = RenameAt(s.c, uri, r.line, r.character, r.name);
        EXPECT_EQ(Code(answer), -32803) << r.name;
        EXPECT_EQ(answer["error"]["message"], r.why);
    }
    // The last line may go up to 65279; a number two lines share is no
    // line to rename.
    EXPECT_EQ(RenameAt(s.c, uri, 7, 0, "65279")["result"]["changes"][uri],
              Json::array({{{"range", Span(7, 0, 3)}, {"newText", "65279"}}}));
    s.Open("file:///twice.bas", "10 A\r\n10 B\r\n20 GOTO 10\r\n");
    EXPECT_EQ(s.c.Request("textDocument/prepareRename",
                          At("file:///twice.bas", 2, 8))["error"]["message"],
              "More than one line has the number 10: which of them the references name is not "
              "clear");
    // Other kinds have no references: only the line's number changes.
    s.c.Tell("textDocument/didOpen", {{"textDocument",
                                       {{"uri", "file:///a.c"},
                                        {"languageId", "c"},
                                        {"version", 1},
                                        {"text", "10 goto 30;\r\n30 x = 1;\r\n"}}}});
    EXPECT_EQ(s.c.Request("textDocument/prepareRename", At("file:///a.c", 0, 9))["result"],
              nullptr);
    EXPECT_EQ(RenameAt(s.c, "file:///a.c", 1, 0, "20")["result"]["changes"]["file:///a.c"],
              Json::array({{{"range", Span(1, 0, 2)}, {"newText", "20"}}}));
    SetLanguage(Language::Japanese);
    // A client that takes versions gets them; one that does not ask before
    // renaming gets no options.
    Served vs(kVsCodeInitialize);
    vs.Open(uri, kProgram, 4);
    EXPECT_EQ(RenameAt(vs.c, uri, 7, 0, "120")["result"]["documentChanges"][0]["textDocument"],
              Json({{"uri", uri}, {"version", 4}}));
    EXPECT_EQ(vs.h.server->Capabilities()["renameProvider"], true);
}

// What tessel-cli writes for `args` on `text` saved as `name` (code page 932
// in the file, UTF-8 here): its status, and its output or its error.
struct CliRun {
    int status = 0;
    std::string out;
    std::string err;
};

CliRun RunCli(const test::TempDir& dir, const std::string& name, const std::string& text,
              std::vector<std::string> args) {
    std::string bytes;
    EXPECT_FALSE(cp932::FromUtf8(text, bytes)) << name;
    const std::string path = dir.file(name);
    test::WriteBytes(path, bytes);
    args.push_back(path);
    args.insert(args.begin() + 1, {"--lang", "en"});
    const std::vector<std::string_view> views(args.begin(), args.end());
    cli::StringOutput out;
    cli::StringOutput err;
    cli::CliContext context{out, err, ""};
    CliRun run;
    run.status = cli::RunCommandLine(views, context);
    EXPECT_FALSE(cp932::ToUtf8(out.Text(), run.out)) << name;
    // The file as the server names a document: without its folder.
    run.err = err.Text();
    for (const std::string& shown : {path, sys::NativeSeparators(path)})
        for (std::size_t at; (at = run.err.find(shown)) != std::string::npos;)
            run.err.replace(at, shown.size(), name);
    if (!run.err.empty() && run.err.back() == '\n')
        run.err.pop_back();
    SetLanguage(Language::English);
    return run;
}

TEST(Server, RenumberSortAndTidyGiveTheBytesOfTheCommandLine) {
    SetLanguage(Language::English);
    const test::TempDir dir;
    // The user's settings, as tessel-cli reads them.
    const std::string ini = dir.file("tessel.INI");
    test::WriteBytes(ini, "[LineNumber]\r\nStartLine=100\r\nStep=5\r\n");
    cli::CliOptions options;
    options.settings = ini;
    AppSettings settings;
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(cli::LoadCliSettings(options, "", settings, error, warnings));
    // Neovim's client, which also shows actions it cannot take.
    Json initialize = Json::parse(kNeovimInitialize);
    initialize["params"]["capabilities"]["textDocument"]["codeAction"]["disabledSupport"] = true;
    Served s(initialize, settings);

    const struct {
        const char* name;
        std::string text;
        int line; // where the cursor is
    } cases[] = {
        {"order.bas", "30 PRINT \"数\"\r\n10 GOTO 30\r\n20 GOSUB 10:RETURN\r\n", 1},
        {"lf.bas", "100 GOTO 120\n110 END\n120 GOTO 100\n", 1},
        {"done.bas", "100 GOTO 105\n105 END\n", 0},
        {"mixed.bas", "10 A\r20 B\n30 GOTO 10\r\n", 2},
        {"blank.bas", "10 A\r\n\r\n  20 B\r\n", 0},
        {"nonumber.bas", "10 A\r\nB\r\n20 C\r\n", 2},
        {"missing.bas", "10 GOTO 99\r\n20 END\r\n", 1},
        {"code.c", "20 x = 1;\r\n10 goto 20;\r\n", 0},
        {"words.txt", "apple\nbanana\n", 0},
        {"high.bas", "10 A\r\n65276 B\r\n65279 C\r\n", 1},
        {"twice.bas", "10 A\r\n10 B\r\n", 0},
        // Not "nul.bas": Windows takes that name for its null device.
        {"cut.bas", std::string("10 A\r\n20 B\0C\r\n", 13), 0},
        {"end.bas", "10 A\r\n20 B\r\n\x1a", 0},
    };
    int version = 0;
    for (const auto& c : cases) {
        const std::string uri = std::string("file:///some/where/") + c.name;
        s.c.Tell("textDocument/didOpen",
                 {{"textDocument",
                   {{"uri", uri}, {"languageId", ""}, {"version", ++version}, {"text", c.text}}}});
        Json params = At(uri, c.line, 0);
        params.erase("position");
        params["range"] = Span(c.line, 0, 0);
        params["context"] = {{"diagnostics", Json::array()}};
        std::map<std::string, Json> actions;
        const Json answer = s.c.Request("textDocument/codeAction", params);
        ASSERT_TRUE(answer.contains("result")) << answer.dump();
        for (const Json& action : answer["result"])
            actions[action["title"].get<std::string>()] = action;
        // The number of the cursor's line ("0" for none).
        const std::string number =
            std::to_string(std::atoi(c.text.c_str() + OffsetOf(c.text, c.line, 0)));
        const struct {
            std::string title;
            std::vector<std::string> args;
        } operations[] = {
            {"Renumber the program (from 100, step 5)",
             {"renumber", "--settings", ini, "--new", "100", "--step", "5"}},
            {"Renumber from this line (from " + number + ", step 5)",
             {"renumber", "--settings", ini, "--new", number, "--old", number, "--step", "5"}},
            {"Sort the lines", {"sort", "--settings", ini}},
            {"Tidy (remove blank lines and the blanks before line numbers)", {"tidy"}},
        };
        for (const auto& operation : operations) {
            const CliRun cli = RunCli(dir, c.name, c.text, operation.args);
            const auto found = actions.find(operation.title);
            const std::string what = std::string(c.name) + ": " + operation.title;
            if (cli.status != 0) {
                // Refused as the command line refuses it; a cursor on a
                // line without a number renumbers nothing from it.
                if (operation.args.size() > 7 && number == "0") {
                    EXPECT_EQ(found, actions.end()) << what;
                    continue;
                }
                ASSERT_NE(found, actions.end()) << what;
                EXPECT_EQ(found->second["disabled"]["reason"], cli.err) << what;
                EXPECT_FALSE(found->second.contains("edit")) << what;
            } else if (cli.out == c.text) {
                EXPECT_EQ(found, actions.end()) << what; // it would change nothing
            } else {
                ASSERT_NE(found, actions.end()) << what << "\n" << cli.err << Json(actions).dump();
                EXPECT_EQ(Applied(c.text, found->second["edit"]["changes"][uri]), cli.out) << what;
            }
        }
        // Formatting is tidy: its edits, or its refusal shown.
        const CliRun tidy = RunCli(dir, c.name, c.text, {"tidy"});
        const Json formatted = s.c.Request("textDocument/formatting",
                                           {{"textDocument", {{"uri", uri}}},
                                            {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
        const std::vector<Json> shown = s.c.TakeNotifications("window/showMessage");
        if (tidy.status != 0) {
            EXPECT_EQ(formatted["result"], nullptr) << c.name;
            ASSERT_EQ(shown.size(), 1u) << c.name;
            EXPECT_EQ(shown[0], Json({{"type", 1}, {"message", tidy.err}}));
        } else {
            EXPECT_EQ(Applied(c.text, formatted["result"]), tidy.out) << c.name;
            EXPECT_TRUE(shown.empty()) << c.name;
        }
    }
    SetLanguage(Language::Japanese);
}

TEST(Server, RewritesRefuseWhatTheTextCannotHoldAndStayOutOfOtherKinds) {
    SetLanguage(Language::English);
    Json initialize = Json::parse(kNeovimInitialize);
    initialize["params"]["capabilities"]["textDocument"]["codeAction"]["disabledSupport"] = true;
    Served s(initialize, {});
    const auto actions = [&](const std::string& uri, const std::string& language,
                             const std::string& text, Json only = nullptr) {
        s.c.Tell("textDocument/didOpen",
                 {{"textDocument",
                   {{"uri", uri}, {"languageId", language}, {"version", 1}, {"text", text}}}});
        Json context = {{"diagnostics", Json::array()}};
        if (!only.is_null())
            context["only"] = only;
        return s.c.Request("textDocument/codeAction", {{"textDocument", {{"uri", uri}}},
                                                       {"range", Span(0, 0, 0)},
                                                       {"context", context}})["result"];
    };
    // A character code page 932 has no code for: each refused, naming it.
    Json foreign = actions("file:///d/%E6%97%A5.bas", "basic", "20 A\r\n10 PRINT \"😀\"\r\n");
    ASSERT_EQ(foreign.size(), 5u);
    foreign.erase(4); // the send, which says why when it is run
    for (const Json& action : foreign)
        EXPECT_EQ(action["disabled"]["reason"].get<std::string>().rfind("日.bas:2: ", 0), 0u)
            << action.dump();
    // The kinds asked for only; none but the send for a DATA file, none at
    // all for an empty text.
    const std::string text = "20 A\r\n10 B\r\n"; // tidy already
    EXPECT_EQ(actions("file:///o.bas", "basic", text, {"quickfix"}), Json::array());
    const Json rewrite = actions("file:///o.bas", "basic", text, {"refactor"});
    ASSERT_EQ(rewrite.size(), 1u);
    EXPECT_EQ(rewrite[0]["kind"], "refactor.rewrite");
    EXPECT_EQ(rewrite[0]["title"], "Renumber from this line (from 20, step 10)");
    const Json source = actions("file:///o.bas", "basic", text, {"source"});
    ASSERT_EQ(source.size(), 3u);
    EXPECT_EQ(source[0]["title"], "Renumber the program (from 10, step 10)");
    EXPECT_EQ(source[1]["title"], "Sort the lines");
    EXPECT_EQ(source[2], Json({{"title", "Send to the device"},
                               {"kind", "source"},
                               {"command",
                                {{"title", "Send to the device"},
                                 {"command", "tessel.send"},
                                 {"arguments", {"file:///o.bas"}}}}}));
    const Json data = actions("file:///d.dat", "", "20 A\r\n10 B\r\n"); // sent as it is
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0]["command"]["command"], "tessel.send");
    EXPECT_EQ(actions("file:///e.bas", "basic", "").size(), 0u);
    const Json formatted = s.c.Request("textDocument/formatting",
                                       {{"textDocument", {{"uri", "file:///d.dat"}}},
                                        {"options", {{"tabSize", 4}, {"insertSpaces", true}}}});
    EXPECT_EQ(formatted["result"], Json::array());
    SetLanguage(Language::Japanese);
}

#if !defined(_WIN32) // a pseudo-terminal for the serial line
// Waits until the server has asked the client something.
std::vector<Json> AwaitCalls(LspClient& c) {
    for (int k = 0; k < 500 && c.Calls().empty(); ++k)
        std::this_thread::sleep_for(10ms);
    return c.Calls();
}

TEST(Server, SendPutsTheProgramOnTheLineWithProgressAndRefusesAsTheCommandLineDoes) {
    SetLanguage(Language::English);
    const test::TempDir dir;
    test::PtyPair pty;
    AppSettings settings;
    settings.m_comSettings = pty.Settings();
    Served s(Json::parse(kNeovimInitialize), settings);
    EXPECT_EQ(s.h.server->Capabilities()["executeCommandProvider"],
              Json({{"commands", {"tessel.send"}}}));
    const std::string uri = "file:///d/send.bas";
    const std::string text = "20 END\r\n10 PRINT \"ｵﾜﾘ\"\r\n";
    s.c.Open(uri, text);
    const Json send = {{"command", "tessel.send"}, {"arguments", {uri}}};
    const int id = s.c.Send("workspace/executeCommand", send);
    // The server makes a token for the progress; the client takes it.
    const std::vector<Json> calls = AwaitCalls(s.c);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]["method"], "window/workDoneProgress/create");
    s.c.SendRaw({{"jsonrpc", "2.0"}, {"id", calls[0]["id"]}, {"result", nullptr}});
    // On the line: what tessel-cli wire writes (the lines in order, the end
    // code after them).
    const CliRun wire = RunCli(dir, "send.bas", text, {"wire"});
    ASSERT_EQ(wire.status, 0) << wire.err;
    std::string wired;
    EXPECT_FALSE(cp932::FromUtf8(wire.out, wired));
    EXPECT_EQ(pty.Read(wired.size(), 5000), wired);
    EXPECT_EQ(s.c.Await(id)["result"], nullptr);
    const std::vector<Json> progress = s.c.TakeNotifications("$/progress");
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front()["token"], calls[0]["params"]["token"]);
    EXPECT_EQ(progress.front()["value"]["kind"], "begin");
    EXPECT_EQ(progress.front()["value"]["cancellable"], true);
    EXPECT_EQ(progress.back()["value"]["kind"], "end");
    EXPECT_EQ(progress.back()["value"]["message"],
              std::string(CompletionText(TransferWorker::Mode::Send)));

    // Refused as tessel-cli send refuses it, and shown; nothing sent.
    const std::string blank = "10 A\r\n\r\n20 B\r\n";
    s.c.Open("file:///d/blank.bas", blank, 2);
    const Json refused =
        s.c.Request("workspace/executeCommand",
                    {{"command", "tessel.send"}, {"arguments", {"file:///d/blank.bas"}}});
    const CliRun cli = RunCli(dir, "blank.bas", blank, {"send"});
    EXPECT_NE(cli.status, 0);
    const std::string why = cli.err.substr(0, cli.err.find('\n'));
    EXPECT_EQ(why, "blank.bas:2: A line has no line number.");
    EXPECT_EQ(Code(refused), -32803);
    EXPECT_EQ(refused["error"]["message"], why);
    EXPECT_EQ(s.c.TakeNotifications("window/showMessage"),
              std::vector<Json>({{{"type", 1}, {"message", why}}}));
    EXPECT_EQ(pty.Read(1, 100), ""); // nor anything after the first send
    // Commands the server does not have, and documents it does not hold.
    EXPECT_EQ(Code(s.c.Request("workspace/executeCommand", {{"command", "tessel.other"}})), -32602);
    EXPECT_EQ(Code(s.c.Request("workspace/executeCommand",
                               {{"command", "tessel.send"}, {"arguments", {"file:///x.bas"}}})),
              -32602);
    SetLanguage(Language::Japanese);
}

TEST(Server, ASendKeepsTheServerAnsweringAndStopsWhenTheEditorCancelsIt) {
    SetLanguage(Language::English);
    test::PtyPair pty;
    AppSettings settings;
    settings.m_comSettings = pty.Settings();
    settings.m_comSettings.CharDelay = 20; // some seconds for the whole text
    Served s(Json::parse(kNeovimInitialize), settings);
    const std::string uri = "file:///slow.bas";
    std::string text;
    for (int line = 10; line <= 200; line += 10)
        text += std::to_string(line) + " PRINT \"" + std::string(20, 'A') + "\"\r\n";
    s.c.Open(uri, text);
    // The client gives the token itself: no request for one.
    const int id =
        s.c.Send("workspace/executeCommand",
                 {{"command", "tessel.send"}, {"arguments", {uri}}, {"workDoneToken", "mine"}});
    EXPECT_EQ(pty.Read(3, 5000).size(), 3u);
    // Meanwhile the server answers, and takes no second send.
    EXPECT_EQ(s.c.Request("textDocument/definition", At(uri, 0, 0))["result"]["range"],
              Span(0, 0, 2));
    const Json busy =
        s.c.Request("workspace/executeCommand", {{"command", "tessel.send"}, {"arguments", {uri}}});
    EXPECT_EQ(busy["error"]["message"], "A send is under way: send again once it has ended");
    s.c.Tell("window/workDoneProgress/cancel", {{"token", "other"}}); // not this send's
    s.c.Tell("window/workDoneProgress/cancel", {{"token", "mine"}});
    const Json cancelled = s.c.Await(id);
    EXPECT_EQ(Code(cancelled), -32803);
    EXPECT_EQ(cancelled["error"]["message"],
              "slow.bas: send interrupted; the device may have received part of the text");
    // It stopped well before the end.
    EXPECT_LT(pty.Read(text.size(), 300).size(), text.size() / 2);
    EXPECT_TRUE(s.c.Calls().empty());
    const std::vector<Json> progress = s.c.TakeNotifications("$/progress");
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back(),
              Json({{"token", "mine"},
                    {"value", {{"kind", "end"}, {"message", cancelled["error"]["message"]}}}}));
    // A cancelled request ends the send too; then the port is free again.
    const int again =
        s.c.Send("workspace/executeCommand", {{"command", "tessel.send"}, {"arguments", {uri}}});
    const std::vector<Json> calls = AwaitCalls(s.c);
    ASSERT_EQ(calls.size(), 1u);
    s.c.SendRaw({{"jsonrpc", "2.0"}, {"id", calls[0]["id"]}, {"result", nullptr}});
    EXPECT_EQ(pty.Read(3, 5000).size(), 3u);
    s.c.Tell("$/cancelRequest", {{"id", again}});
    EXPECT_EQ(Code(s.c.Await(again)), -32800);
    SetLanguage(Language::Japanese);
}

#endif

TEST(WorkQueue, DebouncedTasksWaitAndTheLastOneWins) {
    WorkQueue queue;
    std::atomic<int> ran{0};
    std::atomic<int> last{0};
    for (int k = 1; k <= 5; ++k)
        queue.Debounce("a", 50ms, [&, k](std::stop_token) {
            ++ran;
            last = k;
        });
    queue.Debounce("b", 10ms, [&](std::stop_token) { ++ran; });
    queue.Debounce("c", 10ms, [&](std::stop_token) { ran += 100; });
    queue.Cancel("c");
    EXPECT_TRUE(queue.WaitIdle(1s, 5s));
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(last, 5);
    // A task under way is asked to stop when the queue stops.
    std::atomic<bool> running{false};
    queue.Post([&](std::stop_token stop) {
        running = true;
        while (!stop.stop_requested())
            std::this_thread::sleep_for(1ms);
    });
    while (!running)
        std::this_thread::sleep_for(1ms);
    queue.Post([&](std::stop_token) { ran += 100; });
    queue.Stop();
    EXPECT_EQ(ran, 2);
}

} // namespace
} // namespace tessel::lsp
