#include "scripted_comm.h"

namespace taplink::testing {

void ScriptedComm::Record(const std::string& access) {
    log.push_back(access);
    if (refuse.count(access)) throw CommError("refused: " + access);
}

void ScriptedComm::Deliver(const Bytes& bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    event_ = kComEvReceive;
    FireOnComm();
}

void ScriptedComm::RaiseEvent(short code) {
    event_ = code;
    FireOnComm();
}

Bytes ScriptedComm::Written() const {
    Bytes all;
    for (const auto& chunk : output)
        all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
}

void ScriptedComm::SetInBufferCount(short count) {
    Record("InBufferCount=" + std::to_string(count));
    if (count == 0) pending_.clear();
}

bool ScriptedComm::GetPortOpen() {
    log.push_back("PortOpen?");
    return portOpen;
}

void ScriptedComm::SetPortOpen(bool open) {
    Record(std::string("PortOpen=") + (open ? "1" : "0"));
    portOpen = open;
}

void ScriptedComm::SetOutput(const Bytes& bytes) {
    if (!portOpen) throw CommError("write on a closed port");
    output.push_back(bytes);
    if (onOutput) onOutput(bytes);
}

Bytes ScriptedComm::GetInput() {
    Bytes taken;
    taken.swap(pending_);
    return taken;
}

}  // namespace taplink::testing
