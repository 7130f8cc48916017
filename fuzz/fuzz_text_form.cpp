// Fuzz target: any bytes read as the text form of a scenario (UTF-8, as from-text reads a
// file). A text that reads cleanly must make whole records, and its pair must go round:
// written as text again and read back, it gives the same bytes. Anything else aborts.

#include "authoring/TextForm.h"
#include "fuzz/FuzzTarget.h"
#include "platform/core/AppError.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& text) {
    std::fprintf(stderr, "fuzz_text_form: %s\n%s\n", what, qPrintable(text));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const TextFormResult read = fromText(text);
    if (!read.ok()) {
        for (const TextFormError& e : read.errors)
            if (e.line < 1 || e.column < 1 || e.message.isEmpty())
                fail("a fault without a place or a message", text);
        return 0;
    }
    QString again;
    try {
        again = toText(snapshotFromBytes(read.pair.situations, read.pair.list));
    } catch (const AppError& e) {
        fail("a text read cleanly made no whole pair", e.message());
    }
    const TextFormResult back = fromText(again);
    if (!back.ok())
        fail("the text written again does not read", again);
    if (back.pair.situations != read.pair.situations || back.pair.list != read.pair.list)
        fail("the text written again reads as other bytes", again);
    return 0;
}
