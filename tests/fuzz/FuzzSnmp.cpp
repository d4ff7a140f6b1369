// The monitor's SNMP decoder over one datagram, as its client reads an answer: the whole
// message, every binding, the name as dotted text and each value as the callers take it. A
// message it accepts is encoded again and must decode to the same message.
//
// Input: a flags byte (bit 0: request PDUs are accepted, as the test agents decode), then
// the datagram, in a heap block of exactly its size.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "langmon/snmp/SnmpBer.h"
#include "langmon/snmp/SnmpClient.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using kvfuzz::Check;

using namespace snmp;

bool SameOid(const Oid& a, const Oid& b) { return CompareOid(a, b) == 0 && a.count == b.count; }

bool SameValue(const SnmpValue& a, const SnmpValue& b) {
    if (a.type != b.type || a.number != b.number) return false;
    if (a.type == BerTag::ObjectId) return SameOid(a.oid, b.oid);
    if (a.type != BerTag::OctetString && a.type != BerTag::IpAddress && a.type != BerTag::Opaque) return true;
    return a.bytes.size() == b.bytes.size() &&
           (a.bytes.empty() || std::memcmp(a.bytes.data(), b.bytes.data(), a.bytes.size()) == 0);
}

// What the client does with one binding of an answer.
void TakeBinding(const VarBind& binding) {
    std::array<char, kSnmpTextBytes> name{};
    if (FormatOid(binding.name, name)) {
        Check(std::memchr(name.data(), 0, name.size()) != nullptr, "a dotted name not terminated");
    }
    for (ValueKind want : {ValueKind::Any, ValueKind::Integer, ValueKind::String}) {
        (void)ValueFits(want, binding.value.type, binding.value.number);
    }
    Check(binding.value.bytes.size() <= kMaxStringBytes, "a value longer than the decoder allows");
    Check(binding.name.count <= kMaxOidArcs && binding.value.oid.count <= kMaxOidArcs, "a name with too many arcs");
}

// Encodes a GetResponse or request the decoder accepted and decodes it again.
void RoundTrip(const SnmpMessage& message, const std::vector<VarBind>& bindings, bool acceptRequests) {
    if (message.pdu == BerTag::Trap || message.version != 0) return;
    std::vector<BindingOut> out(bindings.size());
    for (size_t i = 0; i < bindings.size(); ++i) {
        out[i].name = &bindings[i].name;
        out[i].value = bindings[i].value;
    }
    MessageOut request;
    request.version = message.version;
    request.community =
        std::string_view(reinterpret_cast<const char*>(message.community.data()), message.community.size());
    request.pdu = message.pdu;
    request.requestId = message.requestId;
    request.errorStatus = message.errorStatus;
    request.errorIndex = message.errorIndex;
    request.bindings = out;
    std::vector<std::byte> encoded(65536);
    const size_t cb = EncodeMessage(request, encoded);
    if (cb == 0) return;  // names and values the encoder refuses to send
    SnmpMessage again;
    Check(DecodeMessage(std::span(encoded.data(), cb), again, nullptr, acceptRequests),
          "an encoded message does not decode");
    Check(again.pdu == message.pdu && again.requestId == message.requestId &&
              again.errorStatus == message.errorStatus && again.errorIndex == message.errorIndex &&
              again.bindingCount == bindings.size(),
          "the header changed on the round trip");
    BindingReader reader(again);
    for (const VarBind& expected : bindings) {
        VarBind binding;
        Check(reader.Next(binding), "a binding is missing after the round trip");
        Check(SameOid(binding.name, expected.name) && SameValue(binding.value, expected.value),
              "a binding changed on the round trip");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvfuzz::InputReader input(data, size);
    const bool acceptRequests = (input.Byte() & 1) != 0;
    const std::vector<uint8_t> bytes = input.Rest();
    std::unique_ptr<std::byte[]> datagram(new std::byte[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty()) std::memcpy(datagram.get(), bytes.data(), bytes.size());

    SnmpMessage message;
    DecodeResult result;
    if (!DecodeMessage(std::span(datagram.get(), bytes.size()), message, &result, acceptRequests)) {
        Check(result.error != BerError::None && result.offset <= bytes.size(), "a refusal without its reason");
        return 0;
    }
    Check(message.community.size() <= kMaxCommunityBytes, "a community longer than the decoder allows");
    std::vector<VarBind> bindings;
    BindingReader reader(message);
    VarBind binding;
    while (reader.Next(binding)) {
        TakeBinding(binding);
        bindings.push_back(binding);
    }
    Check(bindings.size() == message.bindingCount && bindings.size() <= kMaxBindings,
          "the bindings read are not the bindings counted");
    RoundTrip(message, bindings, acceptRequests);
    return 0;
}
