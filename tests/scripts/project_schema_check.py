#!/usr/bin/env python3
"""The editor's schema of scenario.toml against the project files `new`
writes: both are valid, and the mistakes the program refuses are refused
by the schema too. Exits 77 (skipped) without the jsonschema module."""
import json
import sys
import tomllib

try:
    import jsonschema
except ImportError:
    print("jsonschema is not installed")
    sys.exit(77)

root = sys.argv[1]
schema = json.load(open(f"{root}/editors/vscode/schemas/scenario.schema.json"))
jsonschema.Draft4Validator.check_schema(schema)
validator = jsonschema.Draft4Validator(schema)

manifest = json.load(open(f"{root}/editors/vscode/package.json"))
assert manifest["contributes"]["tomlValidation"] == [
    {"fileMatch": "scenario.toml", "url": "./schemas/scenario.schema.json"}
], manifest["contributes"].get("tomlValidation")

data = f"{root}/src/content/data"
example = open(f"{data}/example_project.toml").read()
template = (open(f"{data}/template_project.toml").read()
            .replace("@LINE@", '"Costa"').replace("@TRAIN@", '"1"'))

# The template's [train] block, uncommented in place of the number's line.
lines = template.splitlines()
train_start = lines.index("# [train]")
train_block = []
for l in lines[train_start:]:
    if not l.startswith("# "):
        break
    train_block.append(l[2:])
with_train = "\n".join(l for l in lines if not l.startswith("train =")) + "\n" + "\n".join(train_block) + "\n"

failures = 0
for name, text in [("example", example), ("template", template),
                   ("template with [train]", with_train)]:
    for error in validator.iter_errors(tomllib.loads(text)):
        print(f"FAIL  {name}: {error.message}")
        failures += 1

refused = [
    ("an unknown key", 'line = "A"\ntrian = "1"\n'),
    ("an unknown key in a table", '[sheet]\nvelocita = "V160"\n'),
    ("a number for a train", "train = 911\n"),
    ("a string for a speed", '[[station]]\nname = "A"\nmarching = "70"\n'),
    ("a station without its name", '[[station]]\nprinted = "A"\n'),
    ("a speed limit without its place", '[[speed_limit]]\nname = "A"\n'),
    ("a negative place", "[[extra_row]]\nat = -5\nname = \"B\"\n"),
    ("a speed beyond its cell", '[[station]]\nname = "A"\nmarching = 1000\n'),
    ("one table for an array of them", '[station]\nname = "A"\n'),
    ("an unknown key in [train]", '[train]\nmas_t = 600\n'),
    ("a string for a train figure", '[train]\nmass_t = "600"\n'),
    ("a train of no mass", '[train]\nmass_t = 0\n'),
    ("a part of a car", '[train]\ncars = 12.5\n'),
    ("a rotating-mass factor below 1", '[train]\nrotating_mass_factor = 0.95\n'),
    ("an allowance above 100 %", '[train]\nallowance_percent = 150\n'),
]
for what, text in refused:
    if validator.is_valid(tomllib.loads(text)):
        print(f"FAIL  the schema accepts {what}")
        failures += 1

print(f"{failures} failures")
sys.exit(1 if failures else 0)
