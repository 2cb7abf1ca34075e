#pragma once
// Reads back the `--json` event stream: one flat object per line, values strings,
// integers or booleans (all kept as their text).

#include <map>
#include <string>
#include <vector>

namespace vor::e2e {

using JsonEvent = std::map<std::string, std::string>;

// Every line that is a flat JSON object; a line that is not fails the test that reads it.
std::vector<JsonEvent> ParseJsonEvents(const std::string& stream);

// The events of one kind ("answer", "question", ...), in their order.
std::vector<JsonEvent> EventsOf(const std::vector<JsonEvent>& events, const std::string& kind);

// The stream shows section 1's upload half done.
bool HalfwayThroughSection1(const std::string& stream);

}  // namespace vor::e2e
