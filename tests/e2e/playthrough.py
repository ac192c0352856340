#!/usr/bin/python3
"""A whole game on the real executable, played through its accessibility tree.

Every control is found by its role and accessible name, as a screen reader sees it; buttons
and tabs are pressed through their accessible action, pictures and menu entries are clicked
at the place the tree reports for them. Every figure is read back from the screens: the
money line, the goods panels, the vital bars and the result labels of the activities.

Arguments: the executable, in a folder of its own that may take saved games, and the
folder for the screenshots.
"""

import os
import re
import subprocess
import sys
import time

import pyatspi

GAME, SHOTS = sys.argv[1], sys.argv[2]
LIB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib.sh")
GAME_DIR = os.path.dirname(os.path.abspath(GAME))
PROGRAM_NAME = os.path.basename(GAME)
SAVE_NAME = "прогулка"

CYRILLIC = re.compile("[А-Яа-яЁё]")
AMOUNT = re.compile(r"-?\d+")

# Roles that only hold other objects; what they hold carries the names.
CONTAINERS = {
    pyatspi.ROLE_FILLER,
    pyatspi.ROLE_PANEL,
    pyatspi.ROLE_FRAME,
    pyatspi.ROLE_LAYERED_PANE,
    pyatspi.ROLE_SCROLL_PANE,
    pyatspi.ROLE_VIEWPORT,
    pyatspi.ROLE_MENU_BAR,
    pyatspi.ROLE_POPUP_MENU,
    pyatspi.ROLE_PAGE_TAB_LIST,
    pyatspi.ROLE_SEPARATOR,
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print(message, flush=True)


def wait_for(probe, what, timeout=5.0):
    """Polls until probe() gives something true and returns it. The tree changes under the
    driver's feet (screens hide, labels are renamed), so a failing look counts as 'not yet'."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
            if last:
                return last
        except Exception as error:  # noqa: BLE001 - stale objects of a changing tree
            last = error
        if time.monotonic() > deadline:
            raise Failure(f"{what() if callable(what) else what} (last seen: {last!r})")
        time.sleep(0.05)


def name_of(acc):
    return (acc.name or "").strip()


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def descendants(acc):
    for child in children(acc):
        yield child
        yield from descendants(child)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def enabled(acc):
    return acc.getState().contains(pyatspi.STATE_ENABLED)




class Game:
    def __init__(self):
        # Asking for the desktop starts the accessibility bus before the game looks for it.
        pyatspi.Registry.getDesktop(0)
        self.process = subprocess.Popen([GAME], cwd=GAME_DIR)
        self.app = wait_for(self._find_app, "the game never appeared on the accessibility bus", 20)
        # Screen readers say the application's name: the game's own, not its desktop id.
        check(name_of(self.app) == "Скиталия", f"the game is named «{name_of(self.app)}» on the bus")

    def _find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            if app.get_process_id() == self.process.pid:
                return app
        return None

    def windows(self):
        return [w for w in children(self.app) if showing(w)]

    def window(self, name, role=None, timeout=5.0, holding=None):
        def look():
            for w in self.windows():
                if role in (None, w.getRole()) and name_of(w) == name and (
                        holding is None or find(w, holding) is not None):
                    return w
            return None

        return wait_for(look, lambda: f"no window «{name}»; shown: {self.shown()}", timeout)

    def shown(self):
        try:
            return [f"{w.getRoleName()} «{name_of(w)}»" for w in self.windows()]
        except Exception as error:  # noqa: BLE001
            return [repr(error)]

    def gone(self, window, what):
        wait_for(lambda: not showing(window), f"{what} is still shown")


def find(root, role, name=None, pattern=None, visible=True):
    for acc in descendants(root):
        if acc.getRole() != role:
            continue
        if name is not None and name_of(acc) != name:
            continue
        if pattern is not None and not re.fullmatch(pattern, name_of(acc)):
            continue
        if visible and not showing(acc):
            continue
        return acc
    return None


def control(root, role, name=None, pattern=None, timeout=5.0):
    what = name if name is not None else pattern
    return wait_for(
        lambda: find(root, role, name, pattern),
        f"no {role} «{what}» shown in «{name_of(root)}»",
        timeout,
    )


def press(acc):
    check(enabled(acc), f"«{name_of(acc)}» is disabled")
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "Toggle", "Check"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    raise Failure(f"«{name_of(acc)}» offers no press among {names}")


def centre(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    check(box.width > 0 and box.height > 0, f"«{name_of(acc)}» has no place on the screen")
    return box.x + box.width // 2, box.y + box.height // 2


def click_at(x, y):
    # The scripts' own click, which never leaves the button held.
    subprocess.run(["bash", "-c", 'source "$0" && click_at "$1" "$2"', LIB, str(x), str(y)],
                   check=True)


def click(acc):
    click_at(*centre(acc))


def amount_beside(window, caption, timeout=5.0):
    """The amount a screen shows right after its caption label, as the tree orders them."""

    def look():
        label = find(window, pyatspi.ROLE_LABEL, caption)
        if label is None:
            return None
        value = label.parent.getChildAtIndex(label.getIndexInParent() + 1)
        check(value.getRole() == pyatspi.ROLE_LABEL, f"no label after «{caption}»")
        text = name_of(value)
        check(AMOUNT.fullmatch(text), f"«{caption}» is followed by «{text}», not an amount")
        return (int(text),)

    return wait_for(look, f"no «{caption}» on «{name_of(window)}»", timeout)[0]


shot_number = 0


def screenshot(window, name):
    """The window as the player sees it, cut from the whole screen once it has painted."""
    global shot_number
    shot_number += 1
    box = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    crop = ["import", "-window", "root", "-crop", f"{box.width}x{box.height}+{box.x}+{box.y}",
            "+repage"]
    # Drawn once two looks a tenth of a second apart see the same.
    looks = []

    def still():
        looks.append(subprocess.run(crop + ["rgb:-"], capture_output=True, check=True).stdout)
        time.sleep(0.1)
        return len(looks) > 1 and looks[-1] == looks[-2]

    wait_for(still, f"«{name}» never came to rest", 10)
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, f"playthrough-{shot_number:02d}-{name}.png")
    subprocess.run(crop + [path], check=True)




def allowed_without_cyrillic(acc, window):
    """The few names without a Russian letter that a player still understands."""
    role, name = acc.getRole(), name_of(acc)
    # Qt's own boxes answer with "OK", a word every screen reader says.
    if role == pyatspi.ROLE_PUSH_BUTTON and name == "OK":
        return True
    # The three bins are numbered on their picture, and the buttons carry those numbers.
    if name_of(window) == "Урны" and role == pyatspi.ROLE_PUSH_BUTTON and name in ("1", "2", "3"):
        return True
    # An amount that a Russian description explains (the bag's price "200").
    if role == pyatspi.ROLE_LABEL and AMOUNT.fullmatch(name) and CYRILLIC.search(
            acc.description or ""):
        return True
    # An amount right after its caption ("Деньги:" 37): Qt's labels tell a screen reader only
    # their name, so naming the amount otherwise would hide the amount itself.
    if role == pyatspi.ROLE_LABEL and AMOUNT.fullmatch(name):
        index = acc.getIndexInParent()
        if index > 0:
            before = acc.parent.getChildAtIndex(index - 1)
            caption = name_of(before)
            if before.getRole() == pyatspi.ROLE_LABEL and CYRILLIC.search(caption):
                return caption.endswith(":")
    return False


# Texts the player sees on the controls of a screen. A screen reader must say the same:
# a control's name is its visible text, a description may add more.
VISIBLE_TEXTS = {
    "Сохранить": {pyatspi.ROLE_PUSH_BUTTON: ("OK", "Отмена")},
    "Рынок": {pyatspi.ROLE_PUSH_BUTTON: ("Купить", "Продать", "Увеличить размер сумки", "НАЗАД"),
              pyatspi.ROLE_LABEL: ("200",)},
    'Игровой автомат "Крутифрукт"': {pyatspi.ROLE_PUSH_BUTTON: ("Запуск", "НАЗАД"),
                                     pyatspi.ROLE_LABEL: ("Цена запуска - 2 рубля", "Деньги:")},
    "Уколы": {pyatspi.ROLE_PUSH_BUTTON: ("НАЗАД", "Сделать"),
              pyatspi.ROLE_LABEL: ("Сила укола", "Цена:")},
}


def audit(window, strict=True):
    """Every control of the screen, shown or not, must have a name with Russian letters.
    Without strict, what is found is only told: for Qt's own file dialog, which the game
    opens but does not build."""
    problems = []
    title = name_of(window)
    # Notices and error boxes are captioned with the program's own name, a rule of the game.
    if not CYRILLIC.search(title) and title.lower() != PROGRAM_NAME.lower():
        problems.append(f"the window itself is named «{title}»")

    def walk(acc, path):
        for child in children(acc):
            role = child.getRole()
            here = f"{path} / {child.getRoleName()}"
            if role not in CONTAINERS:
                name = name_of(child)
                if not name:
                    # Qt names a label by its text, so a label without a name shows none (the
                    # icon place of a box, the injection's price before the first move).
                    if role != pyatspi.ROLE_LABEL:
                        problems.append(f"{here}: no name")
                elif not CYRILLIC.search(name) and not allowed_without_cyrillic(child, window):
                    problems.append(f"{here}: «{name}»")
                here += f" «{name}»"
            walk(child, here)

    walk(window, f"«{title}»")
    for role, texts in VISIBLE_TEXTS.get(title, {}).items():
        for text in texts:
            if find(window, role, text, visible=False) is None:
                kind = "button" if role == pyatspi.ROLE_PUSH_BUTTON else "label"
                problems.append(f"no {kind} named as it reads, «{text}»")
    report = f"controls of «{title}» without a Russian name:\n  " + "\n  ".join(problems)
    if strict:
        check(not problems, report)
    elif problems:
        log("note: " + report)


visited = set()


def visit(window, shot, strict=True):
    """Looks at a screen the first time it is in this state: its names, then a picture."""
    if shot in visited:
        return
    visited.add(shot)
    audit(window, strict)
    screenshot(window, shot)


VITALS = ("Сытость", "Здоровье", "Усталость", "Кал")
GOODS = ("Чебурашки", "Макулатура (кг)", "Хлеб", "Макароны", "Спички", "Сигареты", "Жевачка",
         "Мясо(кг)", "Вместимость сумки")
PANEL = re.compile(r"(.+?) ?: (-?\d+)")
# What a spin can pay: the payout table and nothing.
PAYOUTS = {0, 1, 2, 3, 10, 15, 20, 50, 70, 80, 100, 500, 600, 700, 800, 900, 1000}
# The main window redraws money and bars on its 150 ms tick; two ticks are surely past.
TICKS = 0.4
FRESH = {"Деньги": 0, "Сытость": 100, "Здоровье": 100, "Усталость": 0, "Кал": 0,
         **{name: 0 for name in GOODS}, "Вместимость сумки": 2}


class Hub:
    """The main window: its tabs, its money line, its vital bars and its goods panels."""

    def __init__(self, game):
        self.game = game
        # The title bears the same name; the main window is the one with the pages.
        self.window = game.window("Скиталия", holding=pyatspi.ROLE_PAGE_TAB_LIST)

    def tab(self, name):
        tab = control(self.window, pyatspi.ROLE_PAGE_TAB, name)
        press(tab)
        # Qt marks the current tab as the focused one, whether or not the bar takes focus.
        wait_for(lambda: tab.getState().contains(pyatspi.STATE_FOCUSED), f"tab «{name}» not open")

    def button(self, tab, name):
        self.tab(tab)
        return control(self.window, pyatspi.ROLE_PUSH_BUTTON, name)

    def come_back(self):
        wait_for(lambda: showing(self.window), "the main window did not come back")

    def money(self):
        return amount_beside(self.window, "Деньги:")

    def vitals(self):
        bars = {}
        for name in VITALS:
            bar = find(self.window, pyatspi.ROLE_PROGRESS_BAR, name, visible=False)
            check(bar is not None, f"no bar «{name}»")
            bars[name] = round(bar.queryValue().currentValue)
        return bars

    def goods(self):
        # The panels are filled when a tab is chosen, so the page is left and opened again.
        self.tab("Жизнедеятельность")
        self.tab("Товары")
        panels = {}
        page = control(self.window, pyatspi.ROLE_LABEL, pattern=r"Чебурашки: \d+").parent
        for label in children(page):
            match = PANEL.fullmatch(name_of(label))
            if label.getRole() == pyatspi.ROLE_LABEL and match:
                panels[match.group(1)] = int(match.group(2))
        check(set(panels) == set(GOODS), f"the goods page shows {panels}")
        return panels

    def state(self):
        time.sleep(TICKS)
        return {"Деньги": self.money(), **self.vitals(), **self.goods()}


def bar_range(before, low, high):
    """Where a bar can stand after its value moved by low..high. A full bar may hide a larger
    value and an empty one a smaller, so the far side stays open there."""
    lowest = before + low if before > 0 else -10**9
    highest = before + high if before < 100 else 10**9
    return max(0, min(100, lowest)), max(0, min(100, highest))


def expect_vitals(hub, before, emptied=(), **moves):
    """Waits for the bars to show the moves, each a number or a (low, high) range, and the
    emptied bars to stand at zero."""
    names = {"satiety": "Сытость", "health": "Здоровье", "fatigue": "Усталость", "feces": "Кал"}
    wanted = {names[key]: (0, 0) for key in emptied}
    for key, move in moves.items():
        low, high = move if isinstance(move, tuple) else (move, move)
        wanted[names[key]] = bar_range(before[names[key]], low, high)

    shown = {}

    def look():
        shown.update(hub.vitals())
        return all(lo <= shown[n] <= hi for n, (lo, hi) in wanted.items()) and dict(shown)

    return wait_for(look, lambda: f"the bars show {shown}, not within {wanted} (before: {before})",
                    3)


def expect_money(hub, expected):
    shown = []

    def look():
        shown[:] = [hub.money()]
        return shown[0] == expected

    wait_for(look, lambda: f"the money line shows {shown}, not {expected}", 3)


def back(game, hub, window):
    press(control(window, pyatspi.ROLE_PUSH_BUTTON, "НАЗАД"))
    game.gone(window, f"«{name_of(window)}»")
    hub.come_back()


def open_activity(game, hub, tab, button, title, shot):
    press(hub.button(tab, button))
    window = game.window(title)
    wait_for(lambda: not showing(hub.window), f"the main window stayed beside «{title}»")
    visit(window, shot)
    return window


def choose_from_menu(game, hub, menu, entry, shot):
    item = control(hub.window, pyatspi.ROLE_MENU_ITEM, menu)
    action = item.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("ShowMenu"))
    popup = wait_for(lambda: next((c for c in children(item) if showing(c)), None),
                     f"the menu «{menu}» did not open")
    target = control(popup, pyatspi.ROLE_MENU_ITEM, entry)
    # Its entries were looked at with the main window, whose menu bar holds them.
    if shot not in visited:
        visited.add(shot)
        screenshot(popup, shot)
    # A menu entry's action runs inside the call, and a dialog it opens would hold the
    # call open; a click does not.
    click(target)




def start(game):
    title = game.window("Скиталия", pyatspi.ROLE_FILLER, 15)
    visit(title, "title")
    # The picture is the way in, a button to a screen reader; clicked as a mouse would.
    click(control(title, pyatspi.ROLE_PUSH_BUTTON, "Картинка «Начало игры»"))
    hub = Hub(game)
    game.gone(title, "the title")
    first = hub.state()
    check(first == FRESH, f"a new game shows {first}")
    # The whole window is looked at once, its hidden pages included; then every page.
    visit(hub.window, "main-goods")
    for tab, shot in (("Жизнедеятельность", "vitals"), ("Промыслы", "trades"),
                      ("Развлечения", "fun"), ("Жилье", "housing"), ("Работа", "work"),
                      ("Новости", "news")):
        hub.tab(tab)
        screenshot(hub.window, "main-" + shot)
    return hub


def beg(game, hub):
    before = hub.state()
    window = open_activity(game, hub, "Промыслы", "Просить милостыню", "Милостыня", "begging")
    press(control(window, pyatspi.ROLE_PUSH_BUTTON, "Сделать выбор"))
    hours = control(window, pyatspi.ROLE_SPIN_BUTTON, "Сколько часов")
    check(round(hours.queryValue().currentValue) == 1, "the begging does not start at one hour")
    visit(window, "begging-hours")
    press(control(window, pyatspi.ROLE_PUSH_BUTTON, "Начать поиск"))
    # The hundred steps of an hour take about half a second.
    amount = amount_beside(window, "Собрано денег:", 15)
    visit(window, "begging-result")
    back(game, hub, window)
    expect_money(hub, before["Деньги"] + amount)
    expect_vitals(hub, before, fatigue=(2, 5), feces=(1, 5), health=(-4, -2), satiety=(-4, -2))
    log(f"begged an hour: {amount}")


def rummage(game, hub, number):
    """One visit to the bins, picking the given one; gives what was found, or None."""
    before = hub.state()
    window = open_activity(game, hub, "Промыслы", "Обшарить урны", "Урны", "bins")
    bins = [control(window, pyatspi.ROLE_PUSH_BUTTON, str(n)) for n in (1, 2, 3)]
    check(all(enabled(b) for b in bins), "the bins are not all open")
    press(bins[number - 1])

    def outcome():
        for w in game.windows():
            if name_of(w) in ("О помойке", "В помойке"):
                return w
        return None

    result = wait_for(outcome, "picking a bin showed nothing")
    found = None
    if name_of(result) == "О помойке":
        control(result, pyatspi.ROLE_LABEL, "Какой-то нехороший бомж уже обшарил вашу помойку")
        visit(result, "bins-taken")
        press(control(result, pyatspi.ROLE_PUSH_BUTTON, "OK"))
        game.gone(result, "the box about the bin")
        wait_for(lambda: not any(enabled(b) for b in bins), "the bins stayed open after a miss")
        visit(window, "bins-closed")
        back(game, hub, window)
    else:
        bottles = control(result, pyatspi.ROLE_LABEL, pattern=r"Чебурашки-\d+ шт\.")
        paper = control(result, pyatspi.ROLE_LABEL, pattern=r"Макулатура-\d+ кг\.")
        found = (int(re.search(r"\d+", name_of(bottles)).group()),
                 int(re.search(r"\d+", name_of(paper)).group()))
        check(1 <= found[0] <= 7 and 1 <= found[1] <= 12, f"an impossible find {found}")
        wait_for(lambda: not showing(window), "the bins stayed beside the find")
        visit(result, "bin-find")
        back(game, hub, result)
    expect_vitals(hub, before, fatigue=(1, 5), health=-3, satiety=-3, feces=2)
    goods = hub.goods()
    got = found or (0, 0)
    check(goods["Чебурашки"] == before["Чебурашки"] + got[0] and
          goods["Макулатура (кг)"] == before["Макулатура (кг)"] + got[1],
          f"the goods page shows {goods} after finding {got} with {before}")
    log(f"bin {number}: {'found %d bottles, %d kg of paper' % found if found else 'taken'}")
    return found


def recycle(game, hub):
    before = hub.state()
    button = hub.button("Промыслы", "Сдать мусор")
    something = before["Чебурашки"] + before["Макулатура (кг)"] > 0
    check(enabled(button) == something,
          f"«Сдать мусор» is {'on' if enabled(button) else 'off'} with {before}")
    if not something:
        log("nothing to hand in")
        return
    window = open_activity(game, hub, "Промыслы", "Сдать мусор", "Мусор сдан", "recycling")
    earned = amount_beside(window, "Заработано денег :")
    check(earned == 3 * before["Чебурашки"] + before["Макулатура (кг)"],
          f"{earned} paid for {before['Чебурашки']} bottles, {before['Макулатура (кг)']} kg")
    back(game, hub, window)
    expect_money(hub, before["Деньги"] + earned)
    expect_vitals(hub, before, fatigue=2, satiety=-1, health=-2, feces=2)
    goods = hub.goods()
    check(goods["Чебурашки"] == 0 and goods["Макулатура (кг)"] == 0, f"left after: {goods}")
    wait_for(lambda: not enabled(hub.button("Промыслы", "Сдать мусор")),
             "«Сдать мусор» stays on with nothing to hand in")
    log(f"handed in for {earned}")


def step_up(spin):
    """Clicks the upper arrow of a spin box, the only way the market's quantity moves."""
    box = spin.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    click_at(box.x + box.width - 8, box.y + box.height // 4 + 1)


def market(game, hub, good, price, quantity, shot):
    """Buys the quantity of a good if the money allows, else leaves empty-handed."""
    before = hub.state()
    window = open_activity(game, hub, "Промыслы", "Пойти на рынок", "Рынок", shot)
    buy = control(window, pyatspi.ROLE_PUSH_BUTTON, "Купить")
    sell = control(window, pyatspi.ROLE_PUSH_BUTTON, "Продать")
    amount = control(window, pyatspi.ROLE_SPIN_BUTTON, "Количество")
    check(not enabled(buy) and not enabled(sell) and not enabled(amount),
          "the market opens with something chosen")
    press(control(window, pyatspi.ROLE_RADIO_BUTTON, good))
    wait_for(lambda: enabled(amount), f"choosing «{good}» does not open the quantity")
    counter = amount.queryValue()
    check(round(counter.maximumValue) == before["Вместимость сумки"],
          f"the quantity goes up to {counter.maximumValue}, the bag holds "
          f"{before['Вместимость сумки']}")
    while round(counter.currentValue) < quantity:
        was = round(counter.currentValue)
        step_up(amount)
        wait_for(lambda: round(counter.currentValue) == was + 1, "the quantity does not go up")
    check(amount.queryText().getText(0, -1) == str(quantity), "the quantity shows another number")
    affordable = before["Деньги"] >= price * quantity
    wait_for(lambda: enabled(buy) == affordable,
             f"«Купить» is not {'on' if affordable else 'off'} for {quantity} × {price} "
             f"with {before['Деньги']}")
    check(enabled(sell) == (before[good] >= quantity), "«Продать» does not follow the stock")
    visit(window, shot + "-chosen")
    if affordable:
        press(buy)
        game.gone(window, "the market")
        hub.come_back()
    else:
        back(game, hub, window)
    bought = quantity if affordable else 0
    expect_money(hub, before["Деньги"] - price * bought)
    expect_vitals(hub, before, fatigue=3, satiety=-1, health=-2, feces=3)
    goods = hub.goods()
    check(goods[good] == before[good] + bought, f"«{good}» after buying {bought}: {goods}")
    log(f"bought {bought} × {good} for {price * bought}")


def canteen(game, hub):
    before = hub.state()
    window = open_activity(game, hub, "Жизнедеятельность", "Пожрать", "Столовая", "canteen")
    for good in ("Хлеб", "Макароны", "Мясо(кг)"):
        control(window, pyatspi.ROLE_LABEL, f"{good}: {before[good]}")
    loaf = control(window, pyatspi.ROLE_PUSH_BUTTON, "Съесть буханку")
    check(enabled(loaf) == (before["Хлеб"] > 0), "«Съесть буханку» does not follow the bread")
    check(not enabled(control(window, pyatspi.ROLE_PUSH_BUTTON, "Съесть макароны")) and
          not enabled(control(window, pyatspi.ROLE_PUSH_BUTTON, "Съесть мясо")),
          "the canteen offers food the man does not have")
    eaten = 0
    if enabled(loaf):
        press(loaf)
        wait_for(lambda: not enabled(loaf), "a loaf can be eaten twice in one visit")
        eaten = 1
        visit(window, "canteen-eaten")
    back(game, hub, window)
    bars = expect_vitals(hub, before, satiety=15 * eaten, feces=10 * eaten)
    check(bars["Сытость"] == min(100, before["Сытость"] + 15 * eaten), f"satiety {bars}")
    check(hub.goods()["Хлеб"] == before["Хлеб"] - eaten, "the loaf did not leave the bag")
    log(f"ate {eaten} loaf: satiety {before['Сытость']} -> {bars['Сытость']}")


def injection(game, hub):
    before = hub.state()
    money = before["Деньги"]
    window = open_activity(game, hub, "Жизнедеятельность", "Уколы", "Уколы", "injections")
    strength = control(window, pyatspi.ROLE_SLIDER, "Сила укола")
    inject = control(window, pyatspi.ROLE_PUSH_BUTTON, "Сделать")
    check(round(strength.queryValue().currentValue) == 1, "the injection does not start at 1")
    check(enabled(inject) == (money >= 1), f"«Сделать» does not follow the money {money}")
    # The dearest injection he cannot pay, or the dearest of all when he can pay any.
    dear = min(money + 1, 20)
    strength.queryValue().currentValue = dear
    wait_for(lambda: enabled(inject) == (money >= dear),
             f"«Сделать» for an injection of {dear} does not follow the money {money}")
    check(amount_beside(window, "Цена:") == dear, "the price does not follow the strength")
    visit(window, "injections-dear")
    strength.queryValue().currentValue = 1
    wait_for(lambda: enabled(inject) == (money >= 1), "the cheapest injection is not offered")
    check(amount_beside(window, "Цена:") == 1, "the price does not follow the strength")
    done = 0
    if money >= 1:
        press(inject)
        done = 1
        wait_for(lambda: enabled(inject) == (money - 1 >= 1), "«Сделать» ignores the new money")
    back(game, hub, window)
    expect_money(hub, money - done)
    expect_vitals(hub, before, health=2 * done)
    log(f"injections: {done}")


def slot_machine(game, hub):
    before = hub.state()
    money = before["Деньги"]
    window = open_activity(game, hub, "Развлечения", "Пойти играть",
                           'Игровой автомат "Крутифрукт"', "slot-machine")
    check(amount_beside(window, "Деньги:") == money, "the slot machine shows other money")
    spin = control(window, pyatspi.ROLE_PUSH_BUTTON, "Запуск")
    change = 0
    if money >= 2:
        press(spin)
        wait_for(lambda: not enabled(spin), "the reels do not turn")
        screenshot(window, "slot-machine-spinning")
        wait_for(lambda: enabled(spin), "the reels never stop", 10)
        label = control(window, pyatspi.ROLE_LABEL, pattern=r"Выигрыш: \d+")
        won = int(AMOUNT.search(name_of(label)).group())
        check(won in PAYOUTS, f"a spin paid {won}")
        check(amount_beside(window, "Деньги:") == money - 2 + won, "the spin's money is off")
        visit(window, "slot-machine-result")
        change = won - 2
        log(f"one spin won {won}")
    else:
        press(spin)
        box = game.window(PROGRAM_NAME)
        control(box, pyatspi.ROLE_LABEL, "Не хватает денег!")
        visit(box, "slot-machine-refused")
        press(control(box, pyatspi.ROLE_PUSH_BUTTON, "OK"))
        game.gone(box, "the notice")
        check(showing(window), "the slot machine closed with the notice")
        log("no money for a spin")
    back(game, hub, window)
    expect_money(hub, money + change)


def go_to_sleep(game, hub):
    before = hub.state()
    press(hub.button("Жизнедеятельность", "Поспать"))
    expect_vitals(hub, before, emptied=["fatigue"], satiety=-30, feces=11, health=3)
    screenshot(hub.window, "main-slept")
    log("slept")


def toilet(game, hub):
    before = hub.state()
    press(hub.button("Жизнедеятельность", "В туалет"))
    expect_vitals(hub, before, emptied=["feces"], health=-1, fatigue=1, satiety=-3)
    log("went to the toilet")


def save(game, hub):
    kept = hub.state()
    choose_from_menu(game, hub, "Файл", "Сохранить игру", "menu-file")
    window = game.window("Сохранить")
    field = control(window, pyatspi.ROLE_TEXT, "Имя файла")
    field.queryEditableText().setTextContents(SAVE_NAME)
    wait_for(lambda: field.queryText().getText(0, -1) == SAVE_NAME, "the name did not go in")
    visit(window, "save")
    press(control(window, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    game.gone(window, "the save screen")
    path = os.path.join(GAME_DIR, SAVE_NAME + ".sav")
    wait_for(lambda: os.path.isfile(path), f"no {path} after saving")
    log(f"saved as {SAVE_NAME}: {kept}")
    return kept


def new_game(game, hub):
    choose_from_menu(game, hub, "Новая игра", "Да", "menu-new-game")
    wait_for(lambda: hub.state() == FRESH, f"a new game does not show {FRESH}")
    log("new game")


def load(game, hub, kept):
    choose_from_menu(game, hub, "Файл", "Загрузить игру", "menu-file-load")
    window = game.window("Открыть", pyatspi.ROLE_DIALOG)
    entry = control(window, pyatspi.ROLE_TABLE_CELL, SAVE_NAME + ".sav")
    visit(window, "load", strict=False)
    click(entry)
    field = control(window, pyatspi.ROLE_TEXT, "Имя файла:")
    wait_for(lambda: SAVE_NAME in field.queryText().getText(0, -1),
             "choosing the file does not put its name in the field")
    screenshot(window, "load-chosen")
    press(control(window, pyatspi.ROLE_PUSH_BUTTON, "Открыть"))
    game.gone(window, "the file dialog")
    wait_for(lambda: hub.state() == kept, f"the loaded game does not show {kept}")
    screenshot(hub.window, "main-loaded")
    log("loaded")


def notices(game, hub):
    for entry, text, shot in (("Об игре", "Скиталия 1.4", "notice-about"),
                              ("Автор", "Скиталия — .+", "notice-author")):
        choose_from_menu(game, hub, "Разное", entry, "menu-misc")
        box = game.window(PROGRAM_NAME)
        control(box, pyatspi.ROLE_LABEL, pattern=text)
        visit(box, shot)
        press(control(box, pyatspi.ROLE_PUSH_BUTTON, "OK"))
        game.gone(box, f"the notice «{entry}»")
        check(showing(hub.window), f"the notice «{entry}» took the main window with it")


def finish(game, hub):
    choose_from_menu(game, hub, "Файл", "Выход", "menu-file-exit")
    try:
        status = game.process.wait(5)
    except subprocess.TimeoutExpired:
        raise Failure("«Выход» did not end the game") from None
    check(status == 0, f"the game ended with status {status}")


def play(game):
    hub = start(game)
    beg(game, hub)
    # A bin holds something one time in three; a few visits make a find likely.
    for visit_number in range(5):
        if rummage(game, hub, visit_number % 3 + 1):
            break
    recycle(game, hub)
    # Enough for a loaf, the cheapest injection, one spin and two boxes of matches.
    for _ in range(8):
        if hub.state()["Деньги"] >= 5 + 1 + 2 + 2 * 2:
            break
        beg(game, hub)
    market(game, hub, "Хлеб", 5, 1, "market")
    canteen(game, hub)
    injection(game, hub)
    slot_machine(game, hub)
    go_to_sleep(game, hub)
    toilet(game, hub)
    # Goods a new game does not have, so that loading must bring them back.
    market(game, hub, "Спички", 2, 2, "market-matches")
    kept = save(game, hub)
    new_game(game, hub)
    load(game, hub, kept)
    notices(game, hub)
    finish(game, hub)


def main():
    os.makedirs(SHOTS, exist_ok=True)
    for old in os.listdir(SHOTS):
        if old.startswith("playthrough-"):
            os.remove(os.path.join(SHOTS, old))
    game = Game()
    try:
        play(game)
    except BaseException:
        failure_shot = os.path.join(SHOTS, "playthrough-failure.png")
        subprocess.run(["import", "-window", "root", failure_shot], check=False)
        log(f"shown at the failure: {game.shown()}")
        raise
    finally:
        if game.process.poll() is None:
            game.process.kill()
            game.process.wait()


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        sys.exit(1)
    log("e2e playthrough: passed")
