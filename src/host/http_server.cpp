#include "host/http_server.h"

#include <zlib.h>

#include <array>
#include <boost/asio/dispatch.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <climits>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

#include "tpl/text.h"

namespace tpl::host {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

// A connection being closed by the server gets this long to take what was
// sent to it (an answer, a refusal) before the socket goes.
constexpr std::chrono::milliseconds kClosingGrace{500};
// What is read and dropped at most while closing: a flood is not read on.
constexpr size_t kMostDrained = 64 * 1024;

bool IsMalformedRequest(const beast::error_code& error) {
  return error.category() == http::make_error_code(http::error::bad_method).category() &&
         error != http::error::end_of_stream && error != http::error::partial_message;
}

bool IsCompressible(std::string_view content_type) {
  return content_type.starts_with("application/json") || content_type.starts_with("text/");
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

class Connection;

}  // namespace

struct HttpServer::State {
  State(ServerLimits server_limits, size_t threads, Handler request_handler, Refusal refusal_builder,
        Logger request_logger)
      : limits(server_limits),
        handler(std::move(request_handler)),
        refusal(std::move(refusal_builder)),
        logger(std::move(request_logger)),
        worker_count(threads == 0 ? 1 : threads),
        workers(static_cast<int>(worker_count)) {}
  // Connections still queued in a context end while the members after it
  // are already gone: they must not touch them.
  ~State() { tearing_down = true; }

  // Declared before the contexts: connections still queued in them when
  // they are destroyed take themselves out of this set.
  std::mutex connections_mutex;
  std::unordered_set<Connection*> connections;  // under connections_mutex
  std::atomic<bool> tearing_down = false;
  ServerLimits limits;
  Handler handler;
  Refusal refusal;
  Logger logger;
  size_t worker_count;
  // The listening socket and the stop: one thread, never busy with a call.
  asio::io_context network{1};
  // The connections, each on a strand of its own, run by the worker
  // threads: the thread that reads a request runs its call and sends the
  // answer, with no hand-over between threads on the way.
  asio::io_context workers;
  std::vector<std::thread> worker_threads;
  // Workers inside the context: one per call running, and one more while
  // any connection waits on the network (for a request, or for its answer
  // to leave) or the stop is under way. The others are parked. Idle threads
  // waiting inside Asio would be woken for every step of every request,
  // one after the other, each wake-up a switch of threads. And when every
  // connection is in its call, none waits: the worker that ends a call
  // goes on to read that connection's next request itself, instead of
  // parking while another thread, asleep all through the call, is woken
  // for it.
  std::mutex pool_mutex;
  std::condition_variable parked;
  size_t running = 0;           // workers inside the context, under pool_mutex
  size_t calls_running = 0;     // under pool_mutex
  size_t connections_open = 0;  // every connection, refused ones too; under pool_mutex
  bool stop_begun = false;      // under pool_mutex
  bool pool_finished = false;   // under pool_mutex

  size_t Wanted() const {
    const bool network_waits = connections_open > calls_running || stop_begun;
    return std::min(worker_count, calls_running + (network_waits ? 1 : 0));
  }
  void RunWorker();
  // Each of these may raise the number of workers wanted.
  template <typename Change>
  void UnderPool(Change change) {
    const std::lock_guard lock(pool_mutex);
    change();
    if (running < Wanted()) parked.notify_one();
  }
  void CallBegins() {
    UnderPool([this] { ++calls_running; });
  }
  void CallEnds() {
    UnderPool([this] { --calls_running; });
  }
  void ConnectionOpens() {
    UnderPool([this] { ++connections_open; });
  }
  void ConnectionCloses() {
    // Connections still queued when the contexts are destroyed end after
    // the pool's members.
    if (tearing_down) return;
    UnderPool([this] { --connections_open; });
  }
  tcp::acceptor acceptor{network};
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> keep_running{network.get_executor()};
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> keep_working{workers.get_executor()};
  asio::steady_timer accept_retry{network};
  asio::steady_timer stop_grace{network};
  std::atomic<bool> stopping = false;
  bool bound = false;

  // The handler's answer, or a 500 with what it threw.
  HttpResponse Answer(const HttpRequest& request) {
    try {
      return handler(request);
    } catch (const std::exception& failure) {
      return refusal(500, std::string("the request failed: ") + failure.what());
    } catch (...) {
      return refusal(500, "the request failed");
    }
  }

  void Accept();
  void BeginStop();
  void ConnectionEnded() {
    if (tearing_down || !stopping) return;
    {
      const std::lock_guard lock(connections_mutex);
      if (!connections.empty()) return;
    }
    asio::post(network, [this] { stop_grace.cancel(); });
  }
};

namespace {

// One client connection, from accept to close. Every step runs on the
// connection's strand, on whichever worker thread is free; the handler runs
// there too, while the connection waits without reading.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  // A connection that is not counted is refused at once (503) and closed.
  Connection(HttpServer::State& server, tcp::socket socket, bool counted)
      : server_(server), stream_(std::move(socket)), counted_(counted) {
    server_.ConnectionOpens();
    if (!counted_) return;
    const std::lock_guard lock(server_.connections_mutex);
    server_.connections.insert(this);
  }
  ~Connection() {
    server_.ConnectionCloses();
    if (!counted_) return;
    {
      const std::lock_guard lock(server_.connections_mutex);
      server_.connections.erase(this);
    }
    server_.ConnectionEnded();
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void Start() {
    beast::error_code ignored;
    // Small answers leave at once instead of waiting for the client's
    // acknowledgement of the previous packet (Nagle's algorithm).
    stream_.socket().set_option(tcp::no_delay(true), ignored);
    if (!counted_) return Refuse(503, "too many connections; try again later");
    WaitForRequest();
  }

  // Runs `step` on this connection's strand.
  template <typename Step>
  void OnStrand(Step step) {
    asio::dispatch(stream_.get_executor(), [self = shared_from_this(), step]() { (self.get()->*step)(); });
  }

  // At a stop: a connection waiting for or reading a request closes now;
  // one whose call runs sends its answer first.
  void OnStop() {
    if (phase_ == Phase::Reading) Close();
  }
  // At the end of the stop's grace: an answer begun before the stop and
  // still being sent is given up. This runs once the strand is free, which
  // may be after a long call has ended: an answer begun since the stop has
  // a grace of its own (see Send) and is left to it.
  void OnStopGraceOver() {
    if (phase_ != Phase::Calling && !sending_since_stop_) Close();
  }

 private:
  enum class Phase { Reading, Calling, Writing };

  const ServerLimits& limits() const { return server_.limits; }

  void WaitForRequest() {
    phase_ = Phase::Reading;
    if (server_.stopping) return Close();
    if (buffer_.size() > 0) return ReadHead();  // the next request came with the last one
    stream_.expires_after(limits().idle_keep_alive);
    stream_.async_read_some(buffer_.prepare(4096), [self = shared_from_this()](beast::error_code error, size_t n) {
      if (error) return self->Close();
      self->buffer_.commit(n);
      self->ReadHead();
    });
  }

  void ReadHead() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(std::min<size_t>(limits().max_head_bytes, UINT32_MAX)));
    parser_->body_limit(limits().max_body_bytes);
    method_ = "-";
    target_ = "-";
    accepts_gzip_ = false;
    stream_.expires_after(limits().head_deadline);
    http::async_read_header(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code error, size_t) {
      self->OnHead(error);
    });
  }

  void OnHead(const beast::error_code& error) {
    head_done_ = Clock::now();
    if (error == http::error::header_limit) {
      return Refuse(431, "the request head is larger than " + std::to_string(limits().max_head_bytes) + " bytes");
    }
    // A Content-Length beyond the limit is found with the head.
    if (error == http::error::body_limit) return RefuseTooLarge();
    if (error) return GiveUp(error);
    const HttpRequest& request = parser_->get();
    method_ = std::string(request.method_string());
    target_ = std::string(request.target());
    if (static_cast<size_t>(std::distance(request.begin(), request.end())) > limits().max_head_fields) {
      return Refuse(431, "the request has more than " + std::to_string(limits().max_head_fields) + " header fields");
    }
    const std::string_view encoding = TrimBlanks(request[http::field::content_encoding]);
    if (!encoding.empty() && LCase(encoding) != "identity") {
      return Refuse(415, "compressed request bodies are not accepted");
    }
    if (parser_->content_length() && *parser_->content_length() > limits().max_body_bytes) {
      return RefuseTooLarge();
    }
    accepts_gzip_ = AcceptsGzip(request[http::field::accept_encoding]);
    if (LCase(TrimBlanks(request[http::field::expect])) == "100-continue") {
      auto go_on = std::make_shared<http::response<http::empty_body>>(http::status::continue_, request.version());
      return http::async_write(stream_, *go_on,
                               [self = shared_from_this(), go_on](beast::error_code written, size_t) {
                                 if (written) return self->Close();
                                 self->ReadBody();
                               });
    }
    ReadBody();
  }

  void ReadBody() {
    stream_.expires_after(limits().body_deadline);
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code error, size_t) {
      if (error == http::error::body_limit) return self->RefuseTooLarge();
      if (error) return self->GiveUp(error);
      self->Call();
    });
  }

  // A request that cannot be read whole: a malformed one is answered 400;
  // one that took too long is logged 408 and closed; a client gone is let go.
  void GiveUp(const beast::error_code& error) {
    if (IsMalformedRequest(error)) return Refuse(400, "malformed request");
    if (error == beast::error::timeout) server_.logger(method_, target_, 408, Elapsed());
    Close();
  }

  void Call() {
    stream_.expires_never();
    phase_ = Phase::Calling;
    keep_alive_ = parser_->get().keep_alive();
    HttpResponse response;
    {
      const HttpRequest request = parser_->release();
      parser_.reset();
      server_.CallBegins();
      response = server_.Answer(request);
      server_.CallEnds();
    }
    Send(std::move(response), true);
  }

  void RefuseTooLarge() {
    Refuse(413, "the request body is larger than " + std::to_string(limits().max_body_bytes) + " bytes");
  }

  // Refusals end the connection: the rest of what the client sends is not read.
  void Refuse(unsigned status, const std::string& reason) { Send(server_.refusal(status, reason), false); }

  void Send(HttpResponse response, bool may_keep_alive) {
    phase_ = Phase::Writing;
    sending_since_stop_ = server_.stopping;
    answer_ = std::move(response);
    const bool keep = may_keep_alive && keep_alive_ && !server_.stopping && counted_;
    answer_.keep_alive(keep);
    if (accepts_gzip_ && answer_.body().size() >= kCompressFrom && answer_.body().size() < UINT_MAX / 2 &&
        answer_[http::field::content_encoding].empty() && IsCompressible(answer_[http::field::content_type])) {
      answer_.body() = GzipCompress(answer_.body());
      answer_.set(http::field::content_encoding, "gzip");
      answer_.set(http::field::vary, "Accept-Encoding");
    }
    answer_.prepare_payload();
    stream_.expires_after(!counted_ ? kClosingGrace : server_.stopping ? limits().stop_grace : limits().write_deadline);
    http::async_write(stream_, answer_, [self = shared_from_this(), keep](beast::error_code error, size_t) {
      self->server_.logger(self->method_, self->target_, self->answer_.result_int(), self->Elapsed());
      self->answer_ = {};
      if (error) return self->Close();
      if (!keep) return self->Linger();
      self->WaitForRequest();
    });
  }

  // Closing at once with unread bytes from the client would reset the
  // connection and could destroy the answer before the client read it: the
  // sending side is shut, and what still comes is read and dropped for a
  // short while.
  void Linger() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kClosingGrace);
    Drain();
  }
  void Drain() {
    stream_.async_read_some(asio::buffer(scratch_), [self = shared_from_this()](beast::error_code error, size_t n) {
      self->drained_ += n;
      if (error || self->drained_ > kMostDrained) return self->Close();
      self->Drain();
    });
  }

  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

  long long Elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - head_done_).count();
  }

  HttpServer::State& server_;
  beast::tcp_stream stream_;
  bool counted_;
  Phase phase_ = Phase::Reading;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  HttpResponse answer_;
  bool keep_alive_ = false;
  bool sending_since_stop_ = false;
  bool accepts_gzip_ = false;
  std::string method_ = "-";
  std::string target_ = "-";
  Clock::time_point head_done_ = Clock::now();
  std::array<char, 4096> scratch_{};
  size_t drained_ = 0;
};

}  // namespace

void HttpServer::State::Accept() {
  acceptor.async_accept(asio::make_strand(workers), [this](beast::error_code error, tcp::socket socket) {
    if (stopping || error == asio::error::operation_aborted) return;
    if (error) {
      // Out of descriptors, say: try again shortly rather than spin.
      accept_retry.expires_after(std::chrono::milliseconds(50));
      accept_retry.async_wait([this](beast::error_code waited) {
        if (!waited) Accept();
      });
      return;
    }
    bool counted;
    {
      const std::lock_guard lock(connections_mutex);
      counted = connections.size() < limits.max_connections;
    }
    std::make_shared<Connection>(*this, std::move(socket), counted)->OnStrand(&Connection::Start);
    Accept();
  });
}

void HttpServer::State::RunWorker() {
  std::unique_lock lock(pool_mutex);
  while (!pool_finished) {
    if (running >= Wanted()) {
      parked.wait(lock);
      continue;
    }
    ++running;
    lock.unlock();
    const size_t ran = workers.run_one();
    lock.lock();
    --running;
    // Out of work: the stop has come and every connection has ended.
    if (ran == 0) {
      pool_finished = true;
      parked.notify_all();
    }
  }
}

void HttpServer::State::BeginStop() {
  if (stopping) return;
  stopping = true;
  beast::error_code ignored;
  acceptor.close(ignored);
  accept_retry.cancel();
  keep_running.reset();
  keep_working.reset();
  // A worker must be inside the context to see the connections end, or
  // that there are none.
  UnderPool([this] { stop_begun = true; });
  std::vector<std::shared_ptr<Connection>> open;
  {
    const std::lock_guard lock(connections_mutex);
    // A connection whose last owner is already gone is ending: skip it.
    for (Connection* connection : connections) {
      if (auto alive = connection->weak_from_this().lock()) open.push_back(std::move(alive));
    }
  }
  for (const auto& connection : open) connection->OnStrand(&Connection::OnStop);
  if (open.empty()) return;
  stop_grace.expires_after(limits.stop_grace);
  stop_grace.async_wait([this](beast::error_code error) {
    if (error) return;
    std::vector<std::shared_ptr<Connection>> left;
    {
      const std::lock_guard lock(connections_mutex);
      for (Connection* connection : connections) {
        if (auto alive = connection->weak_from_this().lock()) left.push_back(std::move(alive));
      }
    }
    for (const auto& connection : left) connection->OnStrand(&Connection::OnStopGraceOver);
  });
}

HttpServer::HttpServer(ServerLimits limits, size_t threads, Handler handler, Refusal refusal, Logger logger)
    : state_(std::make_shared<State>(limits, threads, std::move(handler), std::move(refusal), std::move(logger))) {}

HttpServer::~HttpServer() {
  Stop();
  for (std::thread& worker : state_->worker_threads) {
    if (worker.joinable()) worker.join();
  }
}

int HttpServer::Bind(const std::string& host, int port) {
  beast::error_code error;
  const asio::ip::address address = asio::ip::make_address(host, error);
  if (error) return -1;
  const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  tcp::acceptor& acceptor = state_->acceptor;
  acceptor.open(endpoint.protocol(), error);
  if (!error) acceptor.set_option(asio::socket_base::reuse_address(true), error);
  if (!error) acceptor.bind(endpoint, error);
  if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
  if (error) {
    acceptor.close(error);
    return -1;
  }
  state_->bound = true;
  return acceptor.local_endpoint().port();
}

bool HttpServer::Serve() {
  if (!state_->bound) return false;
  asio::post(state_->network, [state = state_.get()] {
    if (!state->stopping) state->Accept();
  });
  for (size_t i = 0; i < state_->worker_count; ++i) {
    state_->worker_threads.emplace_back([state = state_.get()] { state->RunWorker(); });
  }
  state_->network.run();
  for (std::thread& worker : state_->worker_threads) worker.join();
  state_->worker_threads.clear();
  return true;
}

void HttpServer::Stop() {
  asio::post(state_->network, [state = state_.get()] { state->BeginStop(); });
}

bool AcceptsGzip(std::string_view accept_encoding) {
  bool accepted = false;
  while (!accept_encoding.empty()) {
    const size_t comma = accept_encoding.find(',');
    std::string_view item = accept_encoding.substr(0, comma);
    accept_encoding = comma == std::string_view::npos ? std::string_view() : accept_encoding.substr(comma + 1);
    const size_t semicolon = item.find(';');
    const std::string name = LCase(TrimBlanks(item.substr(0, semicolon)));
    if (name != "gzip" && name != "x-gzip" && name != "*") continue;
    bool refused = false;
    if (semicolon != std::string_view::npos) {
      std::string parameters = LCase(item.substr(semicolon + 1));
      std::erase(parameters, ' ');
      // q=0, q=0.0, q=0.00 and q=0.000 refuse the coding.
      if (parameters.starts_with("q=0") && parameters.find_first_not_of("0.", 2) == std::string::npos) refused = true;
    }
    if (name == "*") {
      accepted = accepted || !refused;
    } else {
      return !refused;
    }
  }
  return accepted;
}

std::string GzipCompress(std::string_view data) {
  z_stream stream{};
  // 15 + 16: the largest window, with a gzip wrapper.
  if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("gzip cannot start");
  }
  std::string compressed(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
  stream.avail_out = static_cast<uInt>(compressed.size());
  const int result = deflate(&stream, Z_FINISH);
  compressed.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("gzip failed");
  return compressed;
}

}  // namespace tpl::host
