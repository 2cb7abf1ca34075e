#include "tests/e2e/JsonEvents.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

namespace vor::e2e {

std::vector<JsonEvent> ParseJsonEvents(const std::string& stream) {
    std::vector<JsonEvent> events;
    std::istringstream lines(stream);
    for (std::string line; std::getline(lines, line);) {
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        if (!document.isObject()) {
            ADD_FAILURE() << "not a JSON event: " << line;
            continue;
        }
        JsonEvent event;
        const QJsonObject object = document.object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QJsonValue v = it.value();
            event[it.key().toStdString()] = v.isString() ? v.toString().toStdString()
                                            : v.isBool() ? (v.toBool() ? "true" : "false")
                                                         : std::to_string(v.toInteger());
        }
        events.push_back(std::move(event));
    }
    return events;
}

std::vector<JsonEvent> EventsOf(const std::vector<JsonEvent>& events, const std::string& kind) {
    std::vector<JsonEvent> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [&](const JsonEvent& e) { return e.at("event") == kind; });
    return found;
}

bool HalfwayThroughSection1(const std::string& stream) {
    const auto upload = stream.find("Writing new firmware");
    return upload != std::string::npos && stream.find("\"percent\":50", upload) != std::string::npos;
}

}  // namespace vor::e2e
