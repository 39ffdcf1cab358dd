# The README's commands. Everything builds into build/ with two jobs.
BUILD  := build
JOBS   := 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench fuzz clean

all: build

deps:
	@scripts/install-deps.sh

configure:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: deps build
	@scripts/run.sh $(BUILD)/app/Orvane

test: deps build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: deps
	@cmake -S . -B $(BUILD) -DORVANE_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)
	@scripts/bench.sh $(BUILD)

fuzz: deps
	@scripts/fuzz.sh

clean:
	@rm -rf $(BUILD) build-fuzz
