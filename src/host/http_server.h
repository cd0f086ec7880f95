// The network side of `tpl serve`: an HTTP/1.1 server on Boost.Beast over
// Asio. Every connection is read and written without blocking, on a strand
// of its own run by a pool of worker threads, so a slow or idle client
// costs a socket and a little memory, never a thread. The worker that reads
// a complete request runs the handler (the methods of TPL may take seconds)
// and sends the answer itself; the listening socket and the stop have a
// thread of their own, which a call never holds.
//
// What a client may hold is bounded: connections (503 beyond), the time to
// send a whole request head and a whole body, the head's size and field
// count (431 beyond), the body's size (413), the idle time of a kept-alive
// connection, and the time to take an answer. Compressed request bodies
// are refused (415): nothing is ever expanded. Answers of a few KiB and
// more go gzip-compressed to clients that accept it.
#pragma once

// Beast's string_view is std::string_view; every file that includes Beast
// does so through this header, so all agree.
#ifndef BOOST_BEAST_USE_STD_STRING_VIEW
#define BOOST_BEAST_USE_STD_STRING_VIEW
#endif
#ifndef BOOST_ASIO_NO_DEPRECATED
#define BOOST_ASIO_NO_DEPRECATED
#endif

#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/server_limits.h"

namespace tpl::host {

using HttpRequest = boost::beast::http::request<boost::beast::http::string_body>;
using HttpResponse = boost::beast::http::response<boost::beast::http::string_body>;

class HttpServer {
 public:
  // Runs on a worker thread; what it throws is answered 500.
  using Handler = std::function<HttpResponse(const HttpRequest&)>;
  // Builds the answer of a refusal the server makes by itself (431, 413, ...).
  using Refusal = std::function<HttpResponse(unsigned status, std::string_view reason)>;
  // Called once an answer has been sent (or a request given up): method and
  // target as received ("-" when the head never arrived whole), status and
  // milliseconds since the head was complete.
  using Logger = std::function<void(std::string_view method, std::string_view target, unsigned status,
                                    long long milliseconds)>;

  HttpServer(ServerLimits limits, size_t threads, Handler handler, Refusal refusal, Logger logger);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds and listens; the port (the one chosen for port 0), or -1.
  int Bind(const std::string& host, int port);
  // Serves until Stop(): then no connection is accepted, idle and reading
  // connections are closed at once, the calls in flight finish and send
  // their answers (a client gets the limits' stop grace to take one,
  // counted from the stop or from the end of a call that outlives it), and
  // Serve returns. False when nothing was bound.
  bool Serve();
  // Safe from any thread, any number of times, before or during Serve.
  void Stop();

  // What the server and its connections share; defined in http_server.cpp.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

// Whether an Accept-Encoding value accepts gzip (a "q=0" refuses it).
bool AcceptsGzip(std::string_view accept_encoding);

// gzip of `data` (RFC 1952), for answers.
std::string GzipCompress(std::string_view data);

}  // namespace tpl::host
