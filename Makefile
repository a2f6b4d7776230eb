# make run   installs what is missing, builds, stages app/ and starts the program
# make test  installs what is missing, builds and runs every test: the suite,
#            then the suite again under AddressSanitizer and
#            UndefinedBehaviorSanitizer together with each fuzz target over its
#            seed corpus and for a short run
# make fuzz  runs each fuzz target for FUZZ_SECONDS (60 by default)
# make bench builds the benchmarks and prints their table (not part of make test)
# make autostart         stages app/ and has voicememo-today --notify run at login
# make autostart-remove  takes that away again
# make calendar          stages app/ and shows its memos in the desktop's calendar
# make calendar-remove   takes that registration away again
BUILD_DIR ?= build
TEST_DIR ?= build-test
SANITIZE_DIR ?= build-asan
BENCH_DIR ?= build-bench
JOBS ?= 2
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 3

# Any report fails the run; leaks too, also those allocated under a call
# into Qt or another library (lsan.supp says why it suppresses nothing).
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp

# The test trees are built by Ninja and linked by lld (both from the test
# packages), a warning failing the build; the program's own tree keeps
# warnings as warnings, for a user's newer compiler. The suite's tree keeps the program's optimisation but no debug
# information, which costs more to compile than anything else (the tests'
# own code: tests/CMakeLists.txt). The sanitizer
# tree is built by clang at -O1 with line tables, so that reports still name
# file and line; it also holds the fuzz targets, so the catalogue and the
# platform layer are compiled once for both.
TEST_TREE = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld \
	-DCMAKE_COMPILE_WARNING_AS_ERROR=ON
TEST_CONFIG = $(TEST_TREE) -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DBUILD_TESTING=ON
SANITIZE_CONFIG = $(TEST_TREE) -DCMAKE_CXX_COMPILER=clang++ \
	-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
	-DVOICEMEMO_SANITIZE=ON -DVOICEMEMO_FUZZ=ON -DFUZZ_SMOKE_SECONDS=$(FUZZ_SMOKE_SECONDS)
# A tree that an older Makefile made with another generator is made anew.
fresh_tree = [ ! -e $(1)/CMakeCache.txt ] || grep -qs '^CMAKE_GENERATOR:INTERNAL=Ninja$$' $(1)/CMakeCache.txt || rm -rf $(1)

.PHONY: all deps test-deps fuzz-deps build test-build stage run test test-suite sanitize-build test-sanitize fuzz-build test-fuzz fuzz clean \
	format format-check test-loaded \
	desktop-entry desktop-entry-remove

all: build

# What each use needs, and no more (scripts/install-deps.sh lists them).
deps:
	@bash scripts/install-deps.sh run

test-deps:
	@bash scripts/install-deps.sh test

fuzz-deps:
	@bash scripts/install-deps.sh fuzz

# The program alone: it needs only its runtime libraries.
build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test-build: test-deps
	@$(call fresh_tree,$(TEST_DIR))
	@cmake -S . -B $(TEST_DIR) $(TEST_CONFIG) >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

# The portable folder app/: the programs, an empty data/ beside them, the
# launcher's entry and icons under share/. The user's Voice.dat, sorvane.ini
# and voice files are never touched.
stage: build
	@cmake --install $(BUILD_DIR) --prefix app >/dev/null

run: stage
	@cd app && ./voicememo

# A launcher in the user's menu for the program in app/, and its icons
# (~/.local/share); desktop-entry-remove takes them away.
desktop-entry: stage
	@bash scripts/desktop-entry.sh install app

desktop-entry-remove:
	@bash scripts/desktop-entry.sh remove

test: format-check test-suite test-sanitize

# The code's layout is .clang-format's: make format applies it, make test
# checks it.
SOURCES = $(shell find catalogue platform feed widgets dialog recorder today resources tests bench fuzz \
	-name '*.cpp' -o -name '*.h')
format:
	@clang-format -i $(SOURCES)

format-check: test-deps
	@clang-format --dry-run --Werror $(SOURCES)
	@echo "layout ok"

test-suite: test-build
	@cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize-build: test-deps
	@$(call fresh_tree,$(SANITIZE_DIR))
	@cmake -S . -B $(SANITIZE_DIR) $(SANITIZE_CONFIG) -DBUILD_TESTING=ON >/dev/null
	@$(SANITIZER_ENV) cmake --build $(SANITIZE_DIR) -j $(JOBS)

# The suite and the fuzz targets (each over its seed corpus, then
# FUZZ_SMOKE_SECONDS of fuzzing). Playing each encoding in real time is left
# to the plain suite: it tests libsndfile's decoders, not our memory use.
test-sanitize: sanitize-build
	@cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) \
		ctest --output-on-failure -j $(JOBS) $(SANITIZE_CTEST_ARGS)
SANITIZE_CTEST_ARGS = -LE realtime-decoding

# Both suites side by side, each the load of the other, until the sanitizer
# suite has run RUNS times (tests/scripts/loaded-runs.sh); not part of make test.
RUNS ?= 5
test-loaded: test-build sanitize-build
	@$(SANITIZER_ENV) SANITIZE_CTEST_ARGS="$(SANITIZE_CTEST_ARGS)" \
		bash tests/scripts/loaded-runs.sh $(TEST_DIR) $(SANITIZE_DIR) $(RUNS)

# The fuzz targets alone, in the sanitizer tree; without BUILD_TESTING given
# here, a tree that make test made keeps its tests.
fuzz-build: fuzz-deps
	@$(call fresh_tree,$(SANITIZE_DIR))
	@cmake -S . -B $(SANITIZE_DIR) $(SANITIZE_CONFIG) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS) --target fuzz_targets

test-fuzz: fuzz-build
	@cd $(SANITIZE_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -L fuzz

fuzz: fuzz-build
	@bash fuzz/run.sh $(SANITIZE_DIR) $(FUZZ_SECONDS)

.PHONY: bench
bench:
	@bash scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOICEMEMO_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target voicememo_bench >/dev/null
	@$(BENCH_DIR)/bench/voicememo_bench

# The XDG autostart entry (~/.config/autostart) for the staged app/ folder.
.PHONY: autostart autostart-remove
autostart: stage
	@bash scripts/autostart.sh install app

autostart-remove:
	@bash scripts/autostart.sh remove

# The feed app/Voice.ics, written now and at each save of the window, as a
# read-only calendar of the desktop's evolution-data-server (a key file in
# ~/.config/evolution/sources); calendar-remove takes the registration away.
.PHONY: calendar calendar-remove
calendar: stage
	@bash scripts/calendar.sh install app

calendar-remove:
	@bash scripts/calendar.sh remove

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(SANITIZE_DIR) $(BENCH_DIR)
