"""Reads the probe's text form of a performance-data block (the counter source's scenario
grammar) so that tests can compare what a reader sees with what a scenario asked for."""

QUEUE = 0x00550500    # PERF_COUNTER_100NS_QUEUELEN_TYPE
BULK = 0x40020500     # PERF_AVERAGE_BULK
COUNTER = 0x10410400  # PERF_COUNTER_COUNTER


class Block:
    def __init__(self, header, objects):
        self.header = header      # {"size", "total", "header", "objects"}
        self.objects = objects    # [(index, [(instance name or None, [(index, type, size, value)])])]

    def object(self, index):
        found = [instances for number, instances in self.objects if number == index]
        if len(found) != 1:
            raise AssertionError(f"expected one object {index}, found {len(found)}")
        return found[0]

    def instance_names(self, index):
        return [name for name, _ in self.object(index)]

    def counter(self, index, instance, counter):
        values = [value for name, counters in self.object(index) if name == instance
                  for number, _, _, value in counters if number == counter]
        if not values:
            raise AssertionError(f"no counter {counter} in instance {instance!r} of object {index}")
        return values[0]


def parse_dump(text):
    lines = text.splitlines()
    if not lines or not lines[0].startswith("block "):
        raise AssertionError(f"not a dump: {text[:200]!r}")
    header = {key: int(value) for key, value in (field.split("=") for field in lines[0].split()[1:])}
    objects = []
    for line in lines[1:]:
        word, _, rest = line.partition(" ")
        if word == "object":
            objects.append((int(rest), []))
        elif word in ("instance", "noinstances"):
            objects[-1][1].append((rest if word == "instance" else None, []))
        elif word == "counter":
            index, kind, size, value = rest.split()
            objects[-1][1][-1][1].append((int(index), int(kind, 0), int(size), int(value)))
        else:  # "error ..." or anything the probe should not print
            raise AssertionError(f"the block is broken or not understood: {line!r}")
    return Block(header, objects)


def scenario_text(objects):
    """The scenario file for [(index, [(name or None, [(counter, type, size, value)])])]."""
    lines = ["# written by an end-to-end test"]
    for index, instances in objects:
        lines.append(f"object {index}")
        for name, counters in instances:
            lines.append("noinstances" if name is None else f"instance {name}")
            lines += [f"counter {c} 0x{t:08X} {s} {v}" for c, t, s, v in counters]
    return "\n".join(lines) + "\n"
