# make run   installs what is missing, builds, stages app/ and starts the program
# make test  installs what is missing, builds and runs every test
BUILD_DIR ?= build
JOBS ?= 2

.PHONY: all deps build stage run test clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

stage: build
	@bash scripts/stage-app.sh $(BUILD_DIR) app

run: stage
	@cd app && ./voicememo

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
