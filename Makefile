# make run   installs what is missing, builds, stages app/ and starts the program
# make test  installs what is missing, builds and runs every test: the suite,
#            the suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
#            and a short run of each fuzz target
# make fuzz  runs each fuzz target for FUZZ_SECONDS (60 by default)
# make bench builds the benchmarks and prints their table (not part of make test)
# make autostart         stages app/ and has voicememo-today --notify run at login
# make autostart-remove  takes that away again
BUILD_DIR ?= build
SANITIZE_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
BENCH_DIR ?= build-bench
JOBS ?= 2
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 10

# Any report fails the run; leaks too, also those allocated under a call
# into Qt or another library (lsan.supp says why it suppresses nothing).
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp

.PHONY: all deps test-deps build test-build stage run test test-suite sanitize-build test-sanitize fuzz-build test-fuzz fuzz clean \
	desktop-entry desktop-entry-remove

all: build

# What each use needs, and no more (scripts/install-deps.sh lists them).
deps:
	@bash scripts/install-deps.sh run

test-deps:
	@bash scripts/install-deps.sh test

# The program alone: it needs only its runtime libraries.
build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test-build: test-deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

stage: build
	@bash scripts/stage-app.sh $(BUILD_DIR) app

run: stage
	@cd app && ./voicememo

# A launcher in the user's menu for the program in app/, and its icons
# (~/.local/share); desktop-entry-remove takes them away.
desktop-entry: stage
	@bash scripts/desktop-entry.sh install app

desktop-entry-remove:
	@bash scripts/desktop-entry.sh remove

test: test-suite test-sanitize test-fuzz

test-suite: test-build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize-build: test-deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DVOICEMEMO_SANITIZE=ON >/dev/null
	@$(SANITIZER_ENV) cmake --build $(SANITIZE_DIR) -j $(JOBS)

test-sanitize: sanitize-build
	@cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

fuzz-build:
	@bash scripts/install-deps.sh fuzz
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOICEMEMO_FUZZ=ON \
		-DCMAKE_CXX_COMPILER=clang++ -DFUZZ_SMOKE_SECONDS=$(FUZZ_SMOKE_SECONDS) >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

# Each target over its seed corpus, then FUZZ_SMOKE_SECONDS of fuzzing.
test-fuzz: fuzz-build
	@cd $(FUZZ_DIR) && ctest --output-on-failure -j $(JOBS)

fuzz: fuzz-build
	@bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

.PHONY: bench
bench:
	@bash scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOICEMEMO_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target voicememo_bench dialog_probe >/dev/null
	@$(BENCH_DIR)/bench/voicememo_bench

# The XDG autostart entry (~/.config/autostart) for the staged app/ folder.
.PHONY: autostart autostart-remove
autostart: stage
	@bash scripts/autostart.sh install app

autostart-remove:
	@bash scripts/autostart.sh remove

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(BENCH_DIR)
