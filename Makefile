# Two commands for a newcomer: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# Optimised without debug information, which costs a fifth of the build; for a debugger, run
# `make CMAKE_FLAGS=-DCMAKE_BUILD_TYPE=RelWithDebInfo`.
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
# Ninja keeps both cores busy across the libraries' chain; a build folder made before keeps its
# own generator.
GENERATOR = $(if $(wildcard $(1)/CMakeCache.txt),,-G Ninja)
# Tests run two at a time: most of a test's time is the engine's, waiting on timers and pages.
TEST_JOBS ?= 2

# Qt WebEngine's sandbox refuses to start as root; relax it for this run only.
ROOT_ENV := $(if $(filter 0,$(shell id -u)),QTWEBENGINE_DISABLE_SANDBOX=1,)

.PHONY: all deps configure build program benchmarks run test deb check-sanitize fuzz bench soak soak-hostile format clean

all: build

deps:
	@./scripts/install-deps.sh
	@./scripts/fetch-readability.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(call GENERATOR,$(BUILD_DIR)) $(CMAKE_FLAGS) >/dev/null

# The program and its tests.
build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The benchmarks and long runs, built only for `make bench`, `make soak` and `make soak-hostile`.
benchmarks: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks

# The program alone, with its resources: what a person who only wants to try it waits for.
program: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target kestrav

run: program
	$(ROOT_ENV) ./$(BUILD_DIR)/bin/kestrav

test: build
	cd $(BUILD_DIR) && QTWEBENGINE_DISABLE_SANDBOX=1 ctest --output-on-failure -j $(TEST_JOBS)

# The Debian package build-deb/kestrav_<version>_<arch>.deb: the program alone, built apart
# with Debian's hardening flags, then checked by lintian (errors fail; warnings are listed).
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb:
	@./scripts/install-deps.sh dpkg-dev file lintian
	@cmake -S . -B build-deb $(call GENERATOR,build-deb) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
		-DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)" >/dev/null
	@cmake --build build-deb -j $(JOBS) --target kestrav kestrav_package_docs
	cd build-deb && cpack -G DEB
	lintian --fail-on error build-deb/kestrav_*.deb

# The whole suite built with AddressSanitizer and UBSan. Leak reports are off (Qt WebEngine
# keeps process-wide objects until exit by design), and so are sized-delete mismatches,
# which the engine's own uninstrumented allocator code raises.
check-sanitize: deps
	@cmake -S . -B build-sanitize $(call GENERATOR,build-sanitize) -DCMAKE_BUILD_TYPE=Debug -DKESTRAV_SANITIZE=ON >/dev/null
	@cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && QTWEBENGINE_DISABLE_SANDBOX=1 \
		ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j 1

# Each fuzz target runs FUZZ_SECONDS on the corpus kept in fuzz/corpus (new finds stay in
# build-fuzz/corpus); a table gives each one's runs, coverage and verdict. Any crash,
# sanitizer report or hang fails the run once every target has run, and leaves its input.
FUZZ_SECONDS ?= 60
FUZZERS ?= favorites decode settings recent filterlist history
fuzz:
	@./scripts/install-deps.sh clang-14 libclang-rt-14-dev
	@CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz $(call GENERATOR,build-fuzz) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DKESTRAV_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@./scripts/fuzz.sh $(FUZZ_SECONDS) $(FUZZERS)

bench: benchmarks
	$(ROOT_ENV) xvfb-run -a -s "-screen 0 1280x800x24" ./$(BUILD_DIR)/bin/bench_startup \
		./$(BUILD_DIR)/bin/kestrav ./$(BUILD_DIR)/bin/bareview $(CURDIR)/resources/startpage/start.html 30
	./$(BUILD_DIR)/bin/bench_favorites
	./$(BUILD_DIR)/bin/bench_blocking
	KESTRAV_KILL_ROUNDS=100 KESTRAV_KILL_ENTRIES=32767 ./$(BUILD_DIR)/bin/tst_crashsafety
	QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bin/bench_favoriteswindow
	$(ROOT_ENV) QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bin/bench_guards 2>/dev/null
	QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bin/bench_history 2>/dev/null

# A long run, not a test: 1,000 navigations of every kind, with the program's memory growth,
# on a resting machine and then on one kept busy.
soak: benchmarks
	$(ROOT_ENV) QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bin/soak 2>/dev/null
	$(ROOT_ENV) QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bin/soak --busy 2>/dev/null

# Another long run: 200 rounds of hostile input (favorites files, pages of 200 MB or a million
# links, floods of questions, fetches without end, stores that fight back), with each case's
# outcome and peak memory.
soak-hostile: benchmarks
	$(ROOT_ENV) QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bin/soak_hostile 2>/dev/null

format: deps
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-fuzz build-deb
