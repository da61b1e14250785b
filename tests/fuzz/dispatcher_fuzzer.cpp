// Fuzzes the dispatcher: any sequence of opcodes (0 to 80 and beyond) with any index, value and
// opt, and a ptr that is null or points at a zeroed buffer large enough for any record, mixed
// with parameter writes and renders. Text and record answers must stay within the sizes the
// interface gives them; nothing outside the buffer may change. The editor opens with its
// headless backend, and its poll and controls run between the calls.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tests/fuzz/fuzz_host.h"
#include "tests/fuzz/guarded_buffer.h"

namespace {

constexpr std::size_t kRecordBuffer = 4096; // above every record the interface passes
constexpr int kMaxCallsPerInput = 96;
constexpr std::int32_t kMaxFramesPerInput = 3 * 4096;

// Bytes an answer may fill for each opcode that writes into ptr; 0 for opcodes that write none.
// A text answer must also end with its terminator inside that size.
struct AnswerSize {
    std::size_t bytes;
    bool isText;
};

AnswerSize answerSize(VstInt32 opcode) {
    switch (opcode) {
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return {kProgramNameSize, true};
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return {kParamTextSize, true};
    case effGetEffectName:
        return {kEffectNameSize, true};
    case effGetVendorString:
    case effGetProductString:
        return {kIdentityTextSize, true};
    case effGetErrorText:
        return {256, true};
    case effGetInputProperties:
    case effGetOutputProperties:
        return {sizeof(VstPinProperties), false};
    case effEditGetRect:
    case effGetChunk:
        return {sizeof(void*), false};
    default:
        return {kRecordBuffer, false}; // records the instrument does not answer
    }
}

// Opcodes whose ptr carries text from the host.
bool takesText(VstInt32 opcode) {
    return opcode == effSetProgramName || opcode == effString2Parameter || opcode == effCanDo;
}

VstInt32 anyOpcode(FuzzInput& in) {
    const std::uint8_t b = in.byte();
    if (b <= 80) return b;
    constexpr VstInt32 kBeyond[] = {
        -1, -2, 81, 82, 99, 100, 127, 128, 255, 256, 0x7FFFFFFF, static_cast<VstInt32>(0x80000000)};
    return kBeyond[b % (sizeof kBeyond / sizeof kBeyond[0])];
}

void checkAnswer(VstInt32 opcode, GuardedBytes& buffer) {
    fuzzCheck(buffer.guardsIntact(), "no write outside the host's buffer");
    const AnswerSize allowed = answerSize(opcode);
    const std::uint8_t* bytes = buffer.data();
    for (std::size_t i = allowed.bytes; i < buffer.size(); ++i)
        fuzzCheck(bytes[i] == 0, "answer within the size the interface gives it");
    if (allowed.isText)
        fuzzCheck(std::memchr(bytes, 0, allowed.bytes) != nullptr, "text answer terminated");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    AEffect* effect = createFuzzedInstance();
    std::int32_t framesLeft = kMaxFramesPerInput;
    for (int call = 0; call < kMaxCallsPerInput && !in.done(); ++call) {
        switch (in.byte() % 10) {
        case 0:
            effect->setParameter(effect, in.anyInt(), in.anyFloat());
            break;
        case 1:
            (void)effect->getParameter(effect, in.anyInt());
            break;
        case 2:
            if (framesLeft > 0) {
                const std::int32_t frames = renderChecked(effect, in);
                framesLeft -= frames > 0 ? frames : 1;
            }
            break;
        case 3:
            startSomeNotes(effect, in);
            break;
        case 4:
            editorStep(effect, in);
            break;
        default: {
            const VstInt32 opcode = anyOpcode(in);
            const VstInt32 index = in.anyInt();
            const VstIntPtr value = in.anyPointerSized();
            const float opt = in.anyFloat();
            const bool nullPtr = (in.byte() & 7) == 0;
            GuardedBytes buffer(kRecordBuffer);
            if (takesText(opcode)) in.text(reinterpret_cast<char*>(buffer.data()), kRecordBuffer);
            (void)dispatch(effect, opcode, index, value, nullPtr ? nullptr : buffer.data(), opt);
            if (opcode == effClose) {
                // The entry destroyed the object; a host would create a new one.
                effect = createFuzzedInstance();
                break;
            }
            if (takesText(opcode))
                fuzzCheck(buffer.guardsIntact(), "no write outside the host's buffer");
            else
                checkAnswer(opcode, buffer);
            break;
        }
        }
    }
    closeFuzzedInstance(effect);
    return 0;
}
