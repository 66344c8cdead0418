#pragma once
// Why an HTTP transfer failed, in German and naming the address it went to: libcurl's own texts
// are English ("Couldn't connect to server") and go to the log only. Every caller of libcurl
// whose failure reaches a user says it this way.

#include <QString>

namespace tvp::proto {

// curl is the transfer's easy handle (a CURL*), code its CURLcode, curlText the transfer's error
// buffer (may be empty). A sentence, ending with a full stop.
QString transportFailureText(void* curl, int code, const char* curlText);

} // namespace tvp::proto
